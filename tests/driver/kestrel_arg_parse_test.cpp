#include "driver/kestrel_arg_parse.h"

#include "engine/build_flags.h"
#include "driver/error_report.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

class KestrelOptions : public ::testing::Test
{
protected:
    void TearDown() override { report = previous; }

    void parse(std::vector<std::string> words, KestrelArgParse *into = nullptr)
    {
        std::vector<char *> argv;
        for (std::string &w : words)
            argv.push_back(w.data());
        (into ? *into : args).parse(int(argv.size()), argv.data());
    }

    std::ostringstream stream;
    ErrorReport reporter{"kestrel", stream};
    ErrorReport *previous = std::exchange(report, &reporter);
    KestrelArgParse args;
};

} // namespace

TEST_F(KestrelOptions, EveryOptionSetsItsField)
{
    parse({"-config", "Debug", "-project", "App", "-solution", "Sub", "-studiodir", "/s",
           "-packagesdir", "/p", "-template", "T", "-type", "Library", "-file", "a.c", "-file",
           "b.c", "-property", "x=1", "-property", "y", "-batch", "-clean", "-echo", "-show",
           "-rebuild", "-verbose", "first.zav", "last.zav"});
    EXPECT_EQ(reporter.errorCount, 0) << stream.str();
    EXPECT_EQ(args.configName, "Debug");
    EXPECT_EQ(args.projectName, "App");
    EXPECT_EQ(args.solutionName, "Sub");
    EXPECT_EQ(args.studioDir, "/s");
    EXPECT_EQ(args.packagesDir, "/p");
    EXPECT_EQ(args.templateName, "T");
    EXPECT_EQ(args.projectType, "Library");
    EXPECT_EQ(args.files, (QStringList{"a.c", "b.c"}));
    EXPECT_EQ(args.properties, (QStringList{"x=1", "y"}));
    EXPECT_TRUE(args.batch && args.clean && args.echo && args.show && args.rebuild
                && args.verbose);
    EXPECT_EQ(args.solutionFileName, "last.zav"); // the last plain argument wins
}

TEST_F(KestrelOptions, StudioDirHasTwoNamesAndNoAbbreviations)
{
    parse({"-StudioDir", "/one"});
    EXPECT_EQ(args.studioDir, "/one");
    parse({"-studio", "x", "-Config", "Debug", "-Dname=v"});
    EXPECT_EQ(reporter.errorCount, 3);
    EXPECT_EQ(stream.str(), "kestrel: error: unrecognised option -studio\n"
                            "kestrel: error: unrecognised option -Config\n"
                            "kestrel: error: unrecognised option -Dname=v\n");
    EXPECT_EQ(args.solutionFileName, "Debug");
}

TEST_F(KestrelOptions, ImmediateOptionsActWhenMet)
{
    QStringList seen;
    args.defineGlobalMacro = [&](const QString &name, const QString &value) {
        seen.append(name + (value.isNull() ? QStringLiteral("<null>") : "=" + value));
    };
    args.setTemplatesFile = [&](const QString &file) { seen.append("templates " + file); };
    args.helpRequested = [&] { seen.append("help"); };
    // A definition splits at its first "=", and without one it removes the macro.
    parse({"-D", "A=B=C", "-D", "NAME", "-D", "EMPTY=", "-templatesfile", "t.xml", "-help",
           "-D", "=v", "-D", "LATE=1"});
    EXPECT_EQ(seen, (QStringList{"A=B=C", "NAME<null>", "EMPTY=", "templates t.xml", "help",
                                 "=v", "LATE=1"}));
}

TEST_F(KestrelOptions, BuildFlagsFollowCleanRebuildAndVerbose)
{
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{}, BuildQuiet}, {{"-verbose"}, 0}, {{"-clean"}, 15}, {{"-clean", "-verbose"}, 7},
        {{"-rebuild"}, BuildRebuild | BuildQuiet}, {{"-rebuild", "-clean", "-verbose"}, 7},
    };
    for (const auto &[words, flags] : cases) {
        KestrelArgParse fresh;
        parse(words, &fresh);
        EXPECT_EQ(fresh.buildFlags(), flags) << testing::PrintToString(words);
    }
}
