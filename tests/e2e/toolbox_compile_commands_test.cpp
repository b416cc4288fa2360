// -compile-commands as editors and analysers use it: the file lists every compilation of the
// build in the compiler driver's form, and the driver and clang-tidy accept each entry.
#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Entry
{
    QString directory;
    QString file;
    QStringList arguments;
    QString output;
};

QList<Entry> readEntries(const QString &path, QString *problem)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(readTextFile(path).toUtf8(), &error);
    if (!document.isArray()) {
        *problem = path + ": " + error.errorString();
        return {};
    }
    QList<Entry> entries;
    for (const QJsonValue &value : document.array()) {
        const QJsonObject object = value.toObject();
        Entry entry{object.value("directory").toString(),
                    object.value("file").toString(),
                    {},
                    object.value("output").toString()};
        for (const QJsonValue &argument : object.value("arguments").toArray())
            entry.arguments.append(argument.toString());
        entries.append(entry);
    }
    return entries;
}

// The entry's command with its object sent to `scratch`: only checking C and C++ needs no
// object, but the driver assembles assembly whatever it is told.
QStringList checkingCommand(const Entry &entry, const QString &scratch)
{
    QStringList arguments = entry.arguments.mid(1);
    const qsizetype output = arguments.indexOf("-o");
    if (output >= 0 && output + 1 < arguments.size())
        arguments[output + 1] = scratch;
    if (!arguments.contains("assembler-with-cpp"))
        arguments << "-fsyntax-only";
    return arguments;
}

bool haveProgram(const char *name)
{
    return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty();
}

class ToolboxCompileCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(copyFixture("toolbox_mixed", m_dir.path()));
    }

    RunResult run(QStringList args)
    {
        args << "mixed.zav";
        return runKestrel(args, m_dir.path());
    }

    QList<Entry> entries(const QString &name = "compile_commands.json")
    {
        QString problem;
        const QList<Entry> list = readEntries(m_dir.filePath(name), &problem);
        EXPECT_TRUE(problem.isEmpty()) << qPrintable(problem);
        return list;
    }

    QString app(const QString &name) const { return m_dir.filePath("app/" + name); }

    QTemporaryDir m_dir;
};

TEST_F(ToolboxCompileCommands, ShowListsEveryCompilationInTheDriverForm)
{
    const RunResult r =
        run({"-config", "Debug", "-show", "-compile-commands", "compile_commands.json"});
    ASSERT_EQ(r.status, 0) << qPrintable(r.out) << qPrintable(r.err);
    EXPECT_FALSE(QFileInfo::exists(app("Debug/main.o"))) << "-show compiles nothing";

    const QList<Entry> list = entries();
    ASSERT_EQ(list.size(), 3);
    struct Expected
    {
        QString file;
        const char *driver;
        QStringList present;
        QStringList absent;
    };
    const QString startup = kestrelRootDir() + "/targets/lm3s6965evb/startup.s";
    const Expected expected[] = {
        {app("main.c"),
         "arm-none-eabi-gcc",
         {"-mcpu=cortex-m3", "-mthumb", "-nostdinc", "-DBOARD_LM3S6965", "-std=c99", "-gdwarf-2"},
         {"-DSQUARE_SIDE=3", "-fno-exceptions"}},
        {app("shapes.cpp"),
         "arm-none-eabi-g++",
         {"-DSQUARE_SIDE=3", "-DBOARD_LM3S6965", "-fno-exceptions", "-fno-rtti"},
         {"-x"}},
        {startup, "arm-none-eabi-gcc", {"-x", "assembler-with-cpp", "-DBOARD_LM3S6965"}, {}},
    };
    for (qsizetype i = 0; i < list.size(); ++i) {
        const Entry &entry = list.at(i);
        const Expected &want = expected[i];
        SCOPED_TRACE(entry.arguments.join(' ').toStdString());
        EXPECT_EQ(entry.file, want.file);
        EXPECT_EQ(entry.directory, m_dir.filePath("app"));
        EXPECT_EQ(entry.output, app("Debug/" + QFileInfo(want.file).completeBaseName() + ".o"));
        // The installation's own driver, beside the passes it runs.
        EXPECT_EQ(entry.arguments.value(0), kestrelRootDir() + "/gcc/bin/" + want.driver);
        for (const QString &option : want.present)
            EXPECT_TRUE(entry.arguments.contains(option)) << qPrintable(option);
        for (const QString &option :
             want.absent + QStringList{"-quiet", "-E", "-lang-asm", "-mthumb-interwork"})
            EXPECT_FALSE(entry.arguments.contains(option)) << qPrintable(option);
        // The dependency file the up-to-date check reads, in the driver's words.
        const QString base = "Debug/" + QFileInfo(want.file).completeBaseName();
        const qsizetype md = entry.arguments.indexOf("-MD");
        EXPECT_EQ(entry.arguments.mid(md, 5),
                  (QStringList{"-MD", "-MF", base + ".d", "-MQ", base + ".o"}));
        // The source is compiled into the step's object, not into the pass's temporary file.
        const qsizetype c = entry.arguments.indexOf("-c");
        ASSERT_GE(c, 0);
        EXPECT_EQ(entry.arguments.mid(entry.arguments.size() - 3),
                  (QStringList{entry.file, "-o", entry.output}));
    }
}

TEST_F(ToolboxCompileCommands, UpToDateFilesAreListedAndTheBuildStillRuns)
{
    const RunResult first = run({"-config", "Debug", "-compile-commands", "first.json"});
    ASSERT_EQ(first.status, 0) << qPrintable(first.out) << qPrintable(first.err);
    // Collecting the compilations walks the build once; the real build must still run.
    EXPECT_TRUE(first.out.contains("Compiling main.c")) << qPrintable(first.out);
    EXPECT_TRUE(first.out.contains("Linking app.elf")) << qPrintable(first.out);
    EXPECT_TRUE(QFileInfo::exists(app("Debug/app.elf")));

    const RunResult second = run({"-config", "Debug", "-compile-commands", "second.json"});
    ASSERT_EQ(second.status, 0) << qPrintable(second.out);
    EXPECT_FALSE(second.out.contains("Compiling")) << qPrintable(second.out);
    EXPECT_EQ(entries("second.json").size(), 3);
    EXPECT_EQ(readTextFile(m_dir.filePath("second.json")),
              readTextFile(m_dir.filePath("first.json")));
}

TEST_F(ToolboxCompileCommands, TheConfigurationChoosesTheOptions)
{
    struct Case
    {
        const char *config;
        const char *present;
        const char *absent;
    };
    for (const Case &c : {Case{"Debug", "-gdwarf-2", "-Os"}, Case{"Release", "-Os", "-gdwarf-2"}}) {
        SCOPED_TRACE(c.config);
        const QString file = QString::fromLatin1(c.config) + ".json";
        ASSERT_EQ(run({"-config", c.config, "-show", "-compile-commands", file}).status, 0);
        const QList<Entry> list = entries(file);
        ASSERT_FALSE(list.isEmpty());
        EXPECT_TRUE(list.first().arguments.contains(c.present));
        EXPECT_FALSE(list.first().arguments.contains(c.absent));
    }
}

TEST_F(ToolboxCompileCommands, AFileThatCannotBeWrittenFailsTheRun)
{
    const RunResult r = run({"-config", "Debug", "-compile-commands", "no/such/dir/cc.json"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(
        r.err.startsWith("error: cannot write compile commands file \"no/such/dir/cc.json\""))
        << qPrintable(r.err);
    EXPECT_FALSE(QFileInfo::exists(app("Debug/app.elf"))) << "nothing is built after the error";
}

TEST_F(ToolboxCompileCommands, ClangTidyReadsTheEntries)
{
    if (!haveProgram("clang-tidy"))
        GTEST_SKIP() << "clang-tidy is not installed";
    ASSERT_EQ(
        run({"-config", "Debug", "-show", "-compile-commands", "compile_commands.json"}).status, 0);
    for (const char *source : {"main.c", "shapes.cpp"}) {
        SCOPED_TRACE(source);
        const RunResult r =
            runProgram("clang-tidy",
                       {"-p", m_dir.path(), app(source), "--extra-arg=--target=arm-none-eabi",
                        "--checks=-*,clang-analyzer-core.*", "--quiet"},
                       m_dir.path());
        EXPECT_EQ(r.status, 0) << qPrintable(r.out) << qPrintable(r.err);
        EXPECT_FALSE(r.out.contains("error:") || r.err.contains("error:"))
            << qPrintable(r.out) << qPrintable(r.err);
    }
}

// Each entry, run by the driver it names, compiles: on the bundled example firmware and on the
// fixture with C++ and a per-file definition.
class ToolboxCompileCommandsCompile : public ::testing::TestWithParam<const char *>
{
};

TEST_P(ToolboxCompileCommandsCompile, EveryEntryCompilesWithTheDriverItNames)
{
    if (!haveProgram("arm-none-eabi-gcc") || !haveProgram("arm-none-eabi-g++"))
        GTEST_SKIP() << "the GNU ARM compiler driver is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString solution = QString::fromLatin1(GetParam());
    if (solution == "hello.zav")
        ASSERT_TRUE(copyTree(kestrelSourceDir() + "/examples", dir.path()));
    else
        ASSERT_TRUE(copyFixture("toolbox_mixed", dir.path()));
    const RunResult r = runKestrel(
        {"-config", "Debug", "-show", "-compile-commands", "compile_commands.json", solution},
        dir.path());
    ASSERT_EQ(r.status, 0) << qPrintable(r.out) << qPrintable(r.err);

    QString problem;
    const QList<Entry> list = readEntries(dir.filePath("compile_commands.json"), &problem);
    ASSERT_TRUE(problem.isEmpty()) << qPrintable(problem);
    ASSERT_EQ(list.size(), 3);
    for (qsizetype i = 0; i < list.size(); ++i) {
        const Entry &entry = list.at(i);
        SCOPED_TRACE(entry.file.toStdString());
        const RunResult compiled = runProgram(
            entry.arguments.first(),
            checkingCommand(entry, dir.filePath(QString("scratch%1.o").arg(i))), entry.directory);
        EXPECT_EQ(compiled.status, 0) << qPrintable(entry.arguments.join(' ')) << "\n"
                                      << qPrintable(compiled.err);
    }
    // The driver really reads the sources: the same options on a file with an #error fail.
    Entry broken = list.first();
    const QString bad = dir.filePath("broken.c");
    ASSERT_TRUE(writeTextFile(bad, "#error \"this must not compile\"\n"));
    broken.arguments.replace(broken.arguments.indexOf(broken.file), bad);
    EXPECT_NE(runProgram(broken.arguments.first(), checkingCommand(broken, dir.filePath("b.o")),
                         broken.directory)
                  .status,
              0);
}

INSTANTIATE_TEST_SUITE_P(Solutions, ToolboxCompileCommandsCompile,
                         ::testing::Values("hello.zav", "mixed.zav"));

} // namespace
