#include "engine/compile_command.h"
#include "engine/compile_commands_recorder.h"

#include "support/qt_printers.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList words(const char *text)
{
    return QString::fromLatin1(text).split(u' ', Qt::SkipEmptyParts);
}

TEST(CompileCommandFromPass, TranslatesThePassIntoTheDriverForm)
{
    struct Case { const char *pass, *object, *expected; }; // expected null: not a compilation
    const Case cases[] = {
        // Target, preprocessor and language options pass unchanged, and so does the
        // dependency file, in the driver's words; the pass's console and temporary output
        // go; the object comes from the step.
        {"/gcc/bin/cc1 -fmessage-length=0 -mcpu=cortex-m3 -mthumb -nostdinc -DDEBUG "
         "-isystem/inc -I. -MD Debug/a.d -MQ Debug/a.o -quiet -gdwarf-2 -std=c99 /p/a.c "
         "-o /p/Debug/kestrel_x",
         "Debug/a.o",
         "arm-none-eabi-gcc -fmessage-length=0 -mcpu=cortex-m3 -mthumb -nostdinc -DDEBUG "
         "-isystem/inc -I. -MD -MF Debug/a.d -MQ Debug/a.o -gdwarf-2 -std=c99 "
         "-fdebug-prefix-map=/p=. -c /p/a.c -o /p/Debug/a.o"},
        {"/gcc/bin/cc1plus -fno-exceptions -v -Os b.cpp -o t", "/o/b.o",
         "arm-none-eabi-g++ -fno-exceptions -Os -fdebug-prefix-map=/p=. -c b.cpp -o /o/b.o"},
        // Preprocessed assembly is assembly with the preprocessor for the driver.
        {"cc1 -E -P -mthumb -lang-asm /s/start.s -o t", "start.o",
         "arm-none-eabi-gcc -mthumb -fdebug-prefix-map=/p=. -c -x assembler-with-cpp "
         "/s/start.s -o /p/start.o"},
        // Options written apart keep their argument, even one that looks like a source.
        {"cc1 -I inc -isystem sys -include cfg.h -D X=1 -U Y a.c -o t", "a.o",
         "arm-none-eabi-gcc -I inc -isystem sys -include cfg.h -D X=1 -U Y "
         "-fdebug-prefix-map=/p=. -c a.c -o /p/a.o"},
        {"cc1 -mthumb -mthumb-interwork a.c -o t", "a.o",
         "arm-none-eabi-gcc -mthumb -fdebug-prefix-map=/p=. -c a.c -o /p/a.o"},
        // Without a known object the entry has no -o.
        {"cc1 a.c -o t", "", "arm-none-eabi-gcc -fdebug-prefix-map=/p=. -c a.c"},
        // What is not a compilation gives no entry.
        {"/gcc/bin/as -mthumb a.s -o a.o", "a.o", nullptr}, {"rm /tmp/kestrel_x", "a.o", nullptr},
        {"/bin/mungeas t .text .data .bss .rodata", "a.o", nullptr},
        {"cc1 -quiet -o t", "a.o", nullptr}, {"", "a.o", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pass);
        const auto command = compileCommandFromPass("/p", words(c.pass), c.object);
        ASSERT_EQ(command.has_value(), c.expected != nullptr);
        if (command) {
            EXPECT_EQ(command->arguments, words(c.expected));
        }
    }
}

// For a compilation whose assembly the step reads before assembling it: the same words,
// stopped at assembly written where the pass writes it.
TEST(AssemblyCommandFromPass, StopsAtTheAssemblyThePassWrites)
{
    const char pass[] =
        "/gcc/bin/cc1 -mthumb -MD Debug/a.d -MQ Debug/a.o -quiet a.c -o Debug/a.asm";
    const auto command = assemblyCommandFromPass("/p", words(pass));
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(command->arguments, words("arm-none-eabi-gcc -mthumb -MD -MF Debug/a.d -MQ Debug/a.o "
                                        "-fdebug-prefix-map=/p=. -S a.c -o /p/Debug/a.asm"));
    EXPECT_EQ(command->output, "/p/Debug/a.asm");
    // Preprocessed assembly has no compilation to stop after.
    EXPECT_FALSE(assemblyCommandFromPass("/p", words("cc1 -E -lang-asm s.s -o t")).has_value());
}

TEST(CompileCommandFromPass, NamesTheSourceAndObjectAbsolutely)
{
    const auto command =
        compileCommandFromPass("/work/app/", words("cc1 -I. ../lib/x.c -o t"), "Debug/x.o");
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(command->directory, "/work/app");
    EXPECT_EQ(command->file, "/work/lib/x.c");
    EXPECT_EQ(command->output, "/work/app/Debug/x.o");
    // The relative names stay relative to the directory, as the build wrote them.
    EXPECT_TRUE(command->arguments.contains("../lib/x.c"));
}

TEST(CompileCommandFromPass, PrefersTheDriverBesideThePasses)
{
    QTemporaryDir bin;
    ASSERT_TRUE(bin.isValid());
    QFile driver(bin.filePath("arm-none-eabi-g++"));
    ASSERT_TRUE(driver.open(QIODevice::WriteOnly));
    driver.close();
    driver.setPermissions(QFile::ReadOwner | QFile::ExeOwner);

    const auto cpp = compileCommandFromPass("/p", {bin.filePath("cc1plus"), "a.cpp"}, "a.o");
    ASSERT_TRUE(cpp.has_value());
    EXPECT_EQ(cpp->arguments.first(), bin.filePath("arm-none-eabi-g++"));
    // No C driver there: the search path finds it.
    const auto c = compileCommandFromPass("/p", {bin.filePath("cc1"), "a.c"}, "a.o");
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(c->arguments.first(), "arm-none-eabi-gcc");
}

// The recorder sees a compile step as the engine hands it over: the object first, then the
// passes; only the compiler pass is a compilation.
TEST(CompileCommandsRecorder, RecordsEachCompilerPassWithItsStepsObject)
{
    CompileCommandsRecorder recorder;
    const auto step = [&](const QString &object, const QStringList &passes) {
        recorder.init();
        recorder.setDirectory("/p");
        recorder.beginGroup(nullptr, "Compiling", 0);
        recorder.setOutputFiles({object});
        for (const QString &pass : passes) {
            recorder.setCommand(words(pass.toLatin1().constData()));
            recorder.doit();
        }
        recorder.endGroup(nullptr);
    };
    step("/p/Debug/a.o", {"cc1 a.c -o t1", "as t1 -o Debug/a.o", "rm t1"});
    step("/p/Debug/b.o", {"cc1plus b.cpp -o t2", "as t2 -o Debug/b.o", "rm t2"});
    recorder.init();
    recorder.setCommand(words("ld -o app.elf a.o b.o"));
    recorder.doit();
    recorder.error("memory map file does not exist: m.xml");

    ASSERT_EQ(recorder.commands().size(), 2);
    EXPECT_EQ(recorder.commands().at(0).output, "/p/Debug/a.o");
    EXPECT_EQ(recorder.commands().at(1).file, "/p/b.cpp");
    EXPECT_EQ(recorder.commands().at(1).arguments.first(), "arm-none-eabi-g++");
    EXPECT_EQ(recorder.errors(), QStringList{"memory map file does not exist: m.xml"});
}

} // namespace
