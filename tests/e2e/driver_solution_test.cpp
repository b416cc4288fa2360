// The command line of kestrel as a user meets it: help, option checks and their messages; and
// selecting what to build: solution files, projects, solutions, configurations and created
// projects.
#include "e2e.h"

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

// Whether `text` is `pattern`, where "*" stands for any text.
bool matches(const QString &text, const QString &pattern)
{
    const QString any = QRegularExpression::escape(pattern).replace(QStringLiteral("\\*"), ".*");
    return QRegularExpression(QRegularExpression::anchoredPattern(any),
                              QRegularExpression::DotMatchesEverythingOption)
        .match(text)
        .hasMatch();
}

// A command-line error, which names the program as it was started.
QString error(const char *message)
{
    return QStringLiteral("$BIN: error: %1\n").arg(QLatin1String(message));
}

} // namespace

// Each row: the arguments, then the exit status and what standard output and error must be;
// $DIR is the work directory, $BIN the program.
TEST_F(DriverSolution, OptionChecksNamesNotFoundAndWhatIsLoaded)
{
    struct Case
    {
        QStringList args;
        int status;
        QString out;
        QString err;
    };
    const Case cases[] = {
        // Names that are not found list what there is.
        {{"-config", "Debug", "-project", "app", "app.zav"}, 1,
         "can't find project 'app' supported projects:\nApp\nLib\n", ""},
        {{"-config", "Debug", "-solution", "App", "app.zav"}, 1,
         "can't find solution 'App' supported solutions:\napp\n", ""},
        {{"-config", "debug", "app.zav"}, 1,
         "can't find configuration 'debug' supported configurations:\nDebug\nRelease\n", ""},
        {{"-config", "Debug", "-templatesfile", "templates.xml", "-template", "Blink", "-project",
          "p"}, 1, "can't find template 'Blink' installed templates:\nAnother\nBlinky\n", ""},
        {{"-config", "Debug", "-type", "Bogus", "-project", "p"}, 1,
         "can't find project type 'Bogus' project types:\nExecutable\nLibrary\nObject file\n"
         "Staging\nCombining\nExternally Built Executable\n", ""},
        // Every applicable property with its current value, one "name=value" line each.
        {{"-config", "Debug", "-type", "Library", "-project", "p", "-property", "nosuch=1"}, 1,
         "can't find property 'nosuch' supported properties:\n*\nbuild_intermediate_directory="
         "$(Configuration)\n*", ""},
        // The last solution file named is the one loaded.
        {{"-config", "Debug", "app.zav", "missing.zav", "-project", "Nope"}, 1, "",
         "load error: $DIR/missing.zav*"},
        {{"-config", "Debug", "missing.zav", "app.zav", "-project", "Nope"}, 1,
         "can't find project 'Nope'*", ""},
        // A project created from a type has only the "Common" configuration.
        {{"-studiodir", "$DIR/studio", "-config", "Common", "-type", "Library", "-project", "p",
          "-property", "build_output_directory=outdir", "-file", "main.c", "-show"}, 0,
         "  Building \"p\" in configuration \"Common\"\n*    Compiling main.c\n*"
         "    $DIR/studio/gcc/bin/ar -rcs outdir/p.a *", ""},
        {{}, 0, "", "Tessary for ARM*\n\nUsage: kestrel [option] <project>.zav\n\n  -batch *"},
        // Option checks, in their order.
        {{"x.zav"}, 1, "", error("-config must be specified.")},
        {{"-config", "Debug"}, 1, "", error(".zav file or -template or -type must be specified.")},
        {{"-verbose"}, 1, "", error(".zav file or -template or -type must be specified.")},
        {{"-config", "Debug", "-solution", "a", "-project", "b", "x.zav"}, 1, "",
         error("-solution and -project are exclusive.")},
        {{"-solution", "", "-project", "b"}, 1, "", error("-solution and -project are exclusive.")},
        {{"-config", "", "x.zav"}, 1, "", error("-config must be specified.")},
        {{"-config", "Debug", "-template", "Blinky"}, 1, "",
         error("-project must be specified with -template.")},
        {{"-config", "Debug", "-template", "Blinky", "-project", "", "x.zav"}, 1, "",
         error("-project must be specified with -template.")},
        {{"-config", "Debug", "-type", "Executable"}, 1, "",
         error("-project must be specified with -type.")},
        {{"-template", "T", "-project", "p"}, 1, "", error("-config must be specified.")},
        {{"-j", "-2", "-config", "Debug", "x.zav"}, 1, "",
         error("-j expects a number of jobs, not '-2'")},
        {{"-config", "Debug", "-j", "4x", "x.zav"}, 1, "",
         error("-j expects a number of jobs, not '4x'")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        auto fill = [&](QString text) {
            return text.replace("$DIR", dir).replace("$BIN", kestrelBinary());
        };
        QStringList args;
        for (const QString &arg : c.args)
            args.append(fill(arg));
        const RunResult r = kestrel(args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(matches(r.out, fill(c.out))) << r.out.toStdString();
        EXPECT_TRUE(matches(r.err, fill(c.err))) << r.err.toStdString();
    }
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
