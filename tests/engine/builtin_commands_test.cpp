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

    bool run(QStringList args, QString &error) { return system.builtinCommand(dir, args, error); }
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

TEST_F(BuiltinCommands, FailuresAreReportedThroughTheErrorText)
{
    struct Case
    {
        QStringList args;
        QString error;
    };
    const Case cases[] = {
        {{"cp", "missing.txt", "to.txt"}, "cp failed: can't copy \"missing.txt\" to \"to.txt\""},
        {{"chmod", "-w", "missing.txt"}, "chmod failed: can't make \"missing.txt\" writable"},
        {{"chmod", "+w", "missing.txt"}, "chmod failed: can't make \"missing.txt\" writable"},
        {{"rm", "missing.txt"}, "rm failed: can't remove \"missing.txt\""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        QString error;
        EXPECT_TRUE(run(c.args, error));
        EXPECT_EQ(error, c.error);
    }
}

TEST_F(BuiltinCommands, HelperCommandsAreRewrittenToTheInstallationsPrograms)
{
    QStringList args{"xmlcp", "a.xml", "b.xml"};
    QString error;
    EXPECT_FALSE(system.builtinCommand(dir, args, error));
    EXPECT_EQ(args, (QStringList{QTx::rootDirectory() + "/bin/xmlcp", "a.xml", "b.xml"}));
    args = QStringList{"mkhdr", "map.xml", "map.h"};
    EXPECT_FALSE(system.builtinCommand(dir, args, error));
    EXPECT_EQ(args.value(0), QTx::rootDirectory() + "/bin/mkhdr");

    args = QStringList{"docgen", "x"};
    EXPECT_TRUE(system.builtinCommand(dir, args, error));
    for (const QStringList &other : {QStringList{"make", "all"}, QStringList{}}) {
        args = other;
        EXPECT_FALSE(system.builtinCommand(dir, args, error));
        EXPECT_EQ(args, other);
    }
    EXPECT_TRUE(error.isEmpty());
}

TEST_F(BuiltinCommands, ExportableFormsAreShellCommands)
{
    QString text;
    EXPECT_TRUE(system.getExportableBuiltinCommand("cp", {"a b.txt", "/x/c.txt"}, text));
    EXPECT_EQ(text, "cp -f \"a b.txt\" \"/x/c.txt\"");
    EXPECT_TRUE(system.getExportableBuiltinCommand("rm", {"t.s"}, text));
    EXPECT_EQ(text, "rm -f \"t.s\"");
    EXPECT_TRUE(system.getExportableBuiltinCommand("xmlcp", {"a.xml", "b.xml"}, text));
    EXPECT_EQ(text, "\"" + QTx::rootDirectory() + "/bin/xmlcp\" \"a.xml\" \"b.xml\"");
    EXPECT_FALSE(system.getExportableBuiltinCommand("make", {}, text));
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
