// -compile-commands as editors and analysers use it: the file lists every compilation of the
// build in the compiler driver's form, and the driver and clang-tidy accept each entry.
#include "e2e.h"

namespace {

struct Entry
{
    QString directory;
    QString file;
    QStringList arguments;
    QString output;
};

QList<Entry> readEntries(const QString &path)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(readTextFile(path).toUtf8(), &error);
    EXPECT_TRUE(document.isArray()) << qPrintable(path + ": " + error.errorString());
    QList<Entry> entries;
    for (const QJsonValue &value : document.array()) {
        const QJsonObject object = value.toObject();
        entries.append({object.value("directory").toString(), object.value("file").toString(),
                        object.value("arguments").toVariant().toStringList(),
                        object.value("output").toString()});
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

class ToolboxCompileCommands : public WorkDir
{
protected:
    void SetUp() override
    {
        WorkDir::SetUp();
        ASSERT_TRUE(copy("toolbox_mixed"));
    }

    RunResult run(const QStringList &args) { return kestrel(args + QStringList{"mixed.zav"}); }
};

// A file that cannot be written fails the run before anything is built; up-to-date files are
// listed and the build still runs.
TEST_F(ToolboxCompileCommands, ListsUpToDateFilesBuildsAndFailsOnAFileItCannotWrite)
{
    const RunResult r = run({"-config", "Debug", "-compile-commands", "no/such/dir/cc.json"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(
        r.err.startsWith("error: cannot write compile commands file \"no/such/dir/cc.json\""))
        << qPrintable(r.err);
    EXPECT_FALSE(QFileInfo::exists(at("app/Debug/app.elf"))) << "nothing is built after the error";

    const RunResult first = run({"-config", "Debug", "-compile-commands", "first.json"});
    ASSERT_EQ(first.status, 0) << qPrintable(first.out) << qPrintable(first.err);
    // Collecting the compilations walks the build once; the real build must still run.
    EXPECT_TRUE(first.out.contains("Compiling main.c")) << qPrintable(first.out);
    EXPECT_TRUE(first.out.contains("Linking app.elf")) << qPrintable(first.out);
    EXPECT_TRUE(QFileInfo::exists(at("app/Debug/app.elf")));

    const RunResult second = run({"-config", "Debug", "-compile-commands", "second.json"});
    ASSERT_EQ(second.status, 0) << qPrintable(second.out);
    EXPECT_FALSE(second.out.contains("Compiling")) << qPrintable(second.out);
    EXPECT_EQ(readEntries(at("second.json")).size(), 3);
    EXPECT_EQ(readTextFile(at("second.json")), readTextFile(at("first.json")));
}

// -show lists every compilation in the driver's form and compiles nothing; each entry, run by
// the driver it names, compiles: on the bundled example firmware and on the fixture with C++
// and a per-file definition. The pass-to-driver translation is the unit tests' business; here:
// the installation's driver per language, and the step's source and object.
using ToolboxCompileCommandsShow = WorkDirWith<const char *>;

TEST_P(ToolboxCompileCommandsShow, EveryEntryCompilesWithTheDriverItNames)
{
    if (!have("arm-none-eabi-gcc") || !have("arm-none-eabi-g++"))
        GTEST_SKIP() << "the GNU ARM compiler driver is not installed";
    const QString solution = QString::fromLatin1(GetParam());
    const bool mixed = solution == "mixed.zav";
    ASSERT_TRUE(copy(mixed ? "toolbox_mixed" : "examples"));
    const RunResult r =
        kestrel({"-config", "Debug", "-show", "-compile-commands", "compile_commands.json", solution});
    ASSERT_EQ(r.status, 0) << qPrintable(r.out) << qPrintable(r.err);
    EXPECT_FALSE(QFileInfo::exists(at(mixed ? "app/Debug/main.o" : "hello/Debug/main.o")));

    const QList<Entry> list = readEntries(at("compile_commands.json"));
    ASSERT_EQ(list.size(), 3);
    for (qsizetype i = 0; i < list.size(); ++i) {
        const Entry &entry = list.at(i);
        SCOPED_TRACE(entry.arguments.join(' ').toStdString());
        const QString driver = entry.file.endsWith(".cpp") ? "g++" : "gcc";
        EXPECT_EQ(entry.arguments.value(0), kestrelRootDir() + "/gcc/bin/arm-none-eabi-" + driver);
        EXPECT_EQ(entry.output, entry.directory + "/Debug/" +
                                    QFileInfo(entry.file).completeBaseName() + ".o");
        EXPECT_TRUE(entry.arguments.contains("-c"));
        EXPECT_EQ(entry.arguments.mid(entry.arguments.size() - 3),
                  (QStringList{entry.file, "-o", entry.output}));
        const RunResult compiled = runProgram(
            entry.arguments.first(),
            checkingCommand(entry, at(QString("scratch%1.o").arg(i))), entry.directory);
        EXPECT_EQ(compiled.status, 0) << qPrintable(compiled.err);
    }
    if (mixed) {
        const QString startup = kestrelRootDir() + "/targets/lm3s6965evb/startup.s";
        EXPECT_EQ(list.at(0).file, at("app/main.c"));
        EXPECT_EQ(list.at(1).file, at("app/shapes.cpp"));
        EXPECT_EQ(list.at(2).file, startup);
        EXPECT_EQ(list.at(2).directory, at("app"));
        // The per-file definition reaches only its file.
        EXPECT_TRUE(list.at(1).arguments.contains("-DSQUARE_SIDE=3"));
        EXPECT_FALSE(list.at(0).arguments.contains("-DSQUARE_SIDE=3"));
    }
    // The driver really reads the sources: the same options on a file with an #error fail.
    Entry broken = list.first();
    const QString bad = at("broken.c");
    ASSERT_TRUE(writeTextFile(bad, "#error \"this must not compile\"\n"));
    broken.arguments.replace(broken.arguments.indexOf(broken.file), bad);
    EXPECT_NE(runProgram(broken.arguments.first(), checkingCommand(broken, at("b.o")),
                         broken.directory)
                  .status,
              0);
}

INSTANTIATE_TEST_SUITE_P(Solutions, ToolboxCompileCommandsShow,
                         ::testing::Values("hello.zav", "mixed.zav"));

} // namespace
