// The command line of kestrel as a user meets it: help, option checks and their messages.
#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const char *const kUsage =
    "\n"
    "Usage: kestrel [option] <project>.zav\n"
    "\n"
    "  -batch                 batch build\n"
    "  -config 'name'         build in 'name' configuration\n"
    "  -clean                 remove output files as build occurs\n"
    "  -D macro=value         set the value of a tessary global macro\n"
    "  -echo                  show command lines as they are executed\n"
    "  -packagesdir 'name'    set $(PackagesDir) to 'name'\n"
    "  -project 'name'        build/batch build 'name' project\n"
    "  -rebuild               always do the build step\n"
    "  -rootuserdir 'name'    set the root user data directory to 'name'\n"
    "  -show                  show command lines but don't execute them\n"
    "  -studiodir 'name'      set $(StudioDir) to 'name'\n"
    "  -solution 'name'       build/batch build 'name' solution\n"
    "  -templatesfile 'name'  get project templates from file 'name'\n"
    "  -verbose               show build information\n"
    "\n"
    "Usage: kestrel [option] -template 'name' -project 'name'\n"
    "       kestrel [option] -type 'type' -project 'name'\n"
    "\n"
    "  -template 'name'     create the project from the template 'name'\n"
    "  -type     'type'     create the project from the project 'type'\n"
    "  -file     'name'     add file 'name' to -template created project\n"
    "  -property name=value set project property name to value\n";

class DriverCommandLine : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    RunResult run(const QStringList &args) { return runKestrel(args, dir.path()); }
    // Command-line errors name the program as it was started.
    static QString error(const QString &message)
    {
        return kestrelBinary() + ": error: " + message + "\n";
    }
    QTemporaryDir dir;
};

// The banner is two lines; everything after it is the usage text.
QString afterBanner(const QString &text)
{
    const qsizetype first = text.indexOf(u'\n');
    const qsizetype second = text.indexOf(u'\n', first + 1);
    return second < 0 ? QString() : text.mid(second + 1);
}

} // namespace

TEST_F(DriverCommandLine, NoArgumentsPrintsBannerAndUsage)
{
    const RunResult r = run({});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.startsWith("Tessary for ARM")) << r.err.toStdString();
    EXPECT_EQ(afterBanner(r.err), kUsage);
}

TEST_F(DriverCommandLine, OptionChecksInTheirOrder)
{
    struct Case
    {
        QStringList args;
        const char *message;
    };
    const Case cases[] = {
        {{"x.zav"}, "-config must be specified."},
        {{"-config", "Debug"}, ".zav file or -template or -type must be specified."},
        {{"-verbose"}, ".zav file or -template or -type must be specified."},
        {{"-config", "Debug", "-solution", "a", "-project", "b", "x.zav"},
         "-solution and -project are exclusive."},
        {{"-solution", "", "-project", "b"}, "-solution and -project are exclusive."},
        {{"-config", "", "x.zav"}, "-config must be specified."},
        {{"-config", "Debug", "-template", "Blinky"}, "-project must be specified with -template."},
        {{"-config", "Debug", "-template", "Blinky", "-project", "", "x.zav"},
         "-project must be specified with -template."},
        {{"-config", "Debug", "-type", "Executable"}, "-project must be specified with -type."},
        {{"-template", "T", "-project", "p"}, "-config must be specified."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const RunResult r = run(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, error(c.message));
    }
}
