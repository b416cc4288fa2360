// The command line of kestrel as a user meets it: help, option checks and their messages; and
// selecting what to build: solution files, projects, solutions, configurations and created
// projects.
#include "e2e.h"

#include <QFile>

namespace {

class DriverSolution : public WorkDir
{
protected:
    void SetUp() override
    {
        WorkDir::SetUp();
        ASSERT_TRUE(copy("driver_solution"));
    }
};

} // namespace

TEST_F(DriverSolution, NamesThatAreNotFoundListWhatThereIs)
{
    struct Case
    {
        QStringList args;
        const char *out;
    };
    const Case cases[] = {
        {{"-config", "Debug", "-project", "app", "app.zav"},
         "can't find project 'app' supported projects:\nApp\nLib\n"},
        {{"-config", "Debug", "-solution", "App", "app.zav"},
         "can't find solution 'App' supported solutions:\napp\n"},
        {{"-config", "debug", "app.zav"},
         "can't find configuration 'debug' supported configurations:\nDebug\nRelease\n"},
        {{"-config", "Debug", "-templatesfile", "templates.xml", "-template", "Blink", "-project",
          "p"},
         "can't find template 'Blink' installed templates:\nAnother\nBlinky\n"},
        {{"-config", "Debug", "-type", "Bogus", "-project", "p"},
         "can't find project type 'Bogus' project types:\nExecutable\nLibrary\nObject file\n"
         "Staging\nCombining\nExternally Built Executable\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const RunResult r = kestrel(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, "");
    }
}

// Every applicable property with its current value, one "name=value" line each.
TEST_F(DriverSolution, AnUnknownPropertyListsTheChoices)
{
    const RunResult r = kestrel(
        {"-config", "Debug", "-type", "Library", "-project", "p", "-property", "nosuch=1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.startsWith("can't find property 'nosuch' supported properties:\n"))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("\nbuild_intermediate_directory=$(Configuration)\n"))
        << r.out.toStdString();
}

TEST_F(DriverSolution, RootUserDirMovesPackagesButNotTheSettings)
{
    const QString other = dir + "/other-root";
    const RunResult r = kestrel({"-rootuserdir", other, "-config", "Debug", "-project", "Nope",
                             "app.zav"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(QFile::exists(other + "/Tessary for ARM/packages/targets/project_templates.xml"));
    EXPECT_FALSE(QFile::exists(at("user") + "/Tessary for ARM/packages"));
    EXPECT_FALSE(QFile::exists(other + "/settings.xml"));
}

TEST_F(DriverSolution, CreatedProjectTakesFilesAndPropertiesFromTheCommandLine)
{
    // A project created from a type has only the "Common" configuration.
    const RunResult r = kestrel({"-studiodir", at("studio"), "-config", "Common", "-type", "Library",
                             "-project", "p", "-property", "build_output_directory=outdir",
                             "-file", "main.c", "-show"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("  Building \"p\" in configuration \"Common\"\n"))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("    Compiling main.c\n")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("    " + at("studio") + "/gcc/bin/ar -rcs outdir/p.a "))
        << r.out.toStdString();
}

TEST_F(DriverSolution, TheLastSolutionFileNamedIsTheOneLoaded)
{
    RunResult r = kestrel({"-config", "Debug", "app.zav", "missing.zav", "-project", "Nope"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.startsWith("load error: " + dir + "/missing.zav"))
        << r.err.toStdString();
    r = kestrel({"-config", "Debug", "missing.zav", "app.zav", "-project", "Nope"});
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(r.out.startsWith("can't find project 'Nope'")) << r.out.toStdString();
}


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
