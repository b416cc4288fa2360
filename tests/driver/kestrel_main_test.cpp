#include "driver/kestrel_main.h"

#include "driver/kestrel_arg_parse.h"
#include "host/h_exception.h"
#include "project/solution_load_error.h"
#include "captured_output.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What the fake services saw; the services are plain function pointers, so state is global.
struct Recorded
{
    int opened = 0;
    int closed = 0;
    int built = 0;
    void (*toThrow)() = nullptr; // the build's failure, if any
};
Recorded recorded;

int fakeBuild(KestrelArgParse &)
{
    ++recorded.built;
    if (recorded.toThrow)
        recorded.toThrow();
    return 0;
}

const DriverServices fakeServices{[] { ++recorded.opened; }, [] { ++recorded.closed; },
                                  nullptr, nullptr, fakeBuild};

struct Outcome
{
    int status;
    QByteArray err;
};

Outcome runMain(std::vector<std::string> words)
{
    const auto toThrow = recorded.toThrow;
    recorded = Recorded();
    recorded.toThrow = toThrow;
    words.insert(words.begin(), "kestrel");
    std::vector<char *> argv;
    for (std::string &w : words)
        argv.push_back(w.data());
    CapturedOutput err(2);
    const int status = kestrelMain(int(argv.size()), argv.data(), fakeServices);
    return Outcome{status, err.text()};
}

class KestrelMain : public ::testing::Test
{
protected:
    void SetUp() override { recorded.toThrow = nullptr; }
};

} // namespace

TEST_F(KestrelMain, FailedChecksNeverReachTheBuildButCloseTheSettings)
{
    for (const std::vector<std::string> &words :
         {std::vector<std::string>{"x.zav"}, {"-bogus", "-config", "D", "x.zav"},
          {"-config", "D", "-template", "T"}}) {
        const Outcome o = runMain(words);
        EXPECT_EQ(o.status, 1);
        EXPECT_TRUE(o.err.startsWith("kestrel: error: ")) << o.err.toStdString();
        EXPECT_EQ(recorded.built, 0);
        EXPECT_EQ(recorded.opened, 1);
        EXPECT_EQ(recorded.closed, 1);
    }
}

TEST_F(KestrelMain, HelpEndsTheRunWithZero)
{
    const Outcome o = runMain({"-config", "D", "-help", "-bogus"});
    EXPECT_EQ(o.status, 0);
    EXPECT_TRUE(o.err.contains("  -verbose               show build information\n"));
    EXPECT_FALSE(o.err.contains("unrecognised"));
    EXPECT_EQ(recorded.built, 0);
    EXPECT_EQ(recorded.closed, 1);
}

TEST_F(KestrelMain, FailuresEscapingTheBuildArePrintedOnStandardError)
{
    const std::pair<void (*)(), const char *> cases[] = {
        {[] { throw HException{"cannot create /x/y"}; }, "error: cannot create /x/y\n"},
        {[] { throw SolutionLoadError("/w/app.zav", false, " does not exist"); },
         "load error: /w/app.zav does not exist\n"},
        {[] { throw SolutionLoadError("/w/app.zav", true, "tagName mismatch", 3); },
         "load error: bad XML file - tagName mismatch\n"},
        {[] { throw 42; }, "Internal error detected\n"},
        {[] { throw RunEnds{1}; }, ""}, // the step printed its own message
        {nullptr, ""},
    };
    for (const auto &[toThrow, err] : cases) {
        SCOPED_TRACE(err);
        recorded.toThrow = toThrow;
        const Outcome o = runMain({"-config", "Debug", "app.zav"});
        EXPECT_EQ(o.status, toThrow ? 1 : 0);
        EXPECT_EQ(recorded.built, 1);
        EXPECT_EQ(o.err, err);
        EXPECT_EQ(recorded.closed, 1);
    }
}
