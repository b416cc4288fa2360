#include "engine/standard_build_system.h"
#include "host/qtx.h"

#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class BuiltinCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        dir = QFileInfo(m_dir.path()).canonicalFilePath();
    }

    bool run(QStringList &args, QString &error) { return system.builtinCommand(dir, args, error); }
    bool run(QStringList &&args, QString &error) { return run(args, error); }
    bool writable(const QString &name) const
    {
        return QFileInfo(dir + u'/' + name).permissions() & QFileDevice::WriteOwner;
    }

    QString dir;
    StandardBuildSystem system;

private:
    QTemporaryDir m_dir;
};

// chmod, cp and rm work relative to the step's directory; cp replaces a read-only file.
TEST_F(BuiltinCommands, ChmodCpAndRmActRelativeToTheDirectory)
{
    ASSERT_TRUE(writeTextFile(dir + "/out/staged.bin", "x"));
    ASSERT_TRUE(writeTextFile(dir + "/new.txt", "new"));
    ASSERT_TRUE(writeTextFile(dir + "/copy.txt", "old"));
    ASSERT_TRUE(QTx::setWriteable(dir + "/copy.txt", false));
    QString error;
    EXPECT_TRUE(run({"chmod", "-w", "out/staged.bin"}, error));
    EXPECT_FALSE(writable("out/staged.bin"));
    EXPECT_TRUE(run({"chmod", "+w", "out/staged.bin"}, error));
    EXPECT_TRUE(writable("out/staged.bin"));
    EXPECT_TRUE(run({"cp", "new.txt", dir + "/copy.txt"}, error));
    EXPECT_EQ(readTextFile(dir + "/copy.txt"), "new");
    EXPECT_TRUE(run({"rm", "new.txt"}, error));
    EXPECT_FALSE(QFileInfo::exists(dir + "/new.txt"));
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
}

// Built-in commands run here and report failures through the error text; helper commands are
// rewritten to the installation's programs and, like any other command, left to run.
TEST_F(BuiltinCommands, CommandsRunHereAreRewrittenOrAreLeftAlone)
{
    const QString bin = QTx::rootDirectory() + "/bin/";
    struct Case
    {
        QStringList args;
        bool builtin;
        QString error;
        QStringList rewritten = {}; // empty: as given
    };
    const Case cases[] = {
        {{"cp", "missing.txt", "to.txt"}, true,
         "cp failed: can't copy \"missing.txt\" to \"to.txt\""},
        {{"chmod", "-w", "missing.txt"}, true, "chmod failed: can't make \"missing.txt\" writable"},
        {{"chmod", "+w", "missing.txt"}, true, "chmod failed: can't make \"missing.txt\" writable"},
        {{"rm", "missing.txt"}, true, "rm failed: can't remove \"missing.txt\""},
        {{"docgen", "x"}, true, QString()},
        {{"xmlcp", "a.xml", "b.xml"}, false, QString(), {bin + "xmlcp", "a.xml", "b.xml"}},
        {{"mkhdr", "map.xml", "map.h"}, false, QString(), {bin + "mkhdr", "map.xml", "map.h"}},
        {{"make", "all"}, false, QString()},
        {{}, false, QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        QString error;
        QStringList args = c.args;
        EXPECT_EQ(run(args, error), c.builtin);
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(args, c.rewritten.isEmpty() ? c.args : c.rewritten);
    }
}

TEST_F(BuiltinCommands, ExportableFormsAreShellCommands)
{
    const struct
    {
        const char *command;
        QStringList args;
        QString text; // null: none
    } cases[] = {
        {"cp", {"a b.txt", "/x/c.txt"}, "cp -f \"a b.txt\" \"/x/c.txt\""},
        {"rm", {"t.s"}, "rm -f \"t.s\""},
        {"xmlcp", {"a.xml", "b.xml"},
         "\"" + QTx::rootDirectory() + "/bin/xmlcp\" \"a.xml\" \"b.xml\""},
        {"make", {}, QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.command);
        QString text;
        EXPECT_EQ(system.getExportableBuiltinCommand(c.command, c.args, text), !c.text.isNull());
        EXPECT_EQ(text, c.text);
    }
}

TEST_F(BuiltinCommands, OptionsFilesDropCommentsAndSplitAtBlanks)
{
    struct Case
    {
        const char *text;
        QStringList expected;
    };
    const Case cases[] = {
        {"/* nothing\n   but a comment\n   over three lines */\n", {}},
        {"-Wall -Wextra\n\n  -DNAME=\"a b\"  \n", {"-Wall", "-Wextra", "-DNAME=a b"}},
        {"-O2 /* speed */ -g\n/* a */-x/* b */\n", {"-O2", "-g", "-x"}},
        {"-a /* open\n -ignored */ -b\n", {"-a", "-b"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(writeTextFile(dir + "/options.txt", QString::fromUtf8(c.text)));
        QStringList args{"first"};
        EXPECT_TRUE(system.addOptionsFromFileToCommand(dir + "/options.txt", args));
        EXPECT_EQ(args, QStringList{"first"} + c.expected);
    }
    QStringList args;
    EXPECT_FALSE(system.addOptionsFromFileToCommand(dir + "/missing.txt", args));
    EXPECT_TRUE(args.isEmpty());
}

} // namespace
