// The command line of kestrel as a user meets it: help, option checks and their messages.
#include "e2e.h"

namespace {

using DriverCommandLine = WorkDir;

TEST_F(DriverCommandLine, NoArgumentsPrintsBannerAndUsage)
{
    const RunResult r = kestrel({});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.startsWith("Tessary for ARM")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("\n\nUsage: kestrel [option] <project>.zav\n\n  -batch "))
        << r.err.toStdString();
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
        {{"-j", "-2", "-config", "Debug", "x.zav"}, "-j expects a number of jobs, not '-2'"},
        {{"-config", "Debug", "-j", "4x", "x.zav"}, "-j expects a number of jobs, not '4x'"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const RunResult r = kestrel(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        // Command-line errors name the program as it was started.
        EXPECT_EQ(r.err, kestrelBinary() + ": error: " + c.message + "\n");
    }
}

} // namespace
