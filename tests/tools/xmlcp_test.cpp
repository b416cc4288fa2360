#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(Xmlcp, CopiesWithReferencesExpandedFromTheCommandLineThenTheEnvironment)
{
    QTemporaryDir dir;
    ASSERT_TRUE(writeTextFile(dir.filePath("in.xml"),
                              "<board name=\"$(Board)\" clock=\"$(Clock:8000000)\" "
                              "home=\"$(XMLCP_TEST_HOME)\" keep=\"$(Unknown)\"/>\n"));
    const RunResult result = runProgram(QStringLiteral(KESTREL_ROOT_DIR "/bin/xmlcp"),
                                        {"in.xml", "gen/board.xml", "Board=lm3s6965"}, dir.path(),
                                        {"XMLCP_TEST_HOME=/home/fw"});
    ASSERT_EQ(result.status, 0) << qPrintable(result.err);
    EXPECT_EQ(
        readTextFile(dir.filePath("gen/board.xml")),
        "<board name=\"lm3s6965\" clock=\"8000000\" home=\"/home/fw\" keep=\"$(Unknown)\"/>\n");
}

// mkhdr and xmlcp both end with status 1 and name the input they could not read.
TEST(ToolInputs, AMissingInputFailsNamingIt)
{
    QTemporaryDir dir;
    for (const auto &[tool, message] :
         {std::pair{"mkhdr", "cannot load memory map file \"missing.xml\""},
          std::pair{"xmlcp", "cannot read \"missing.xml\""}}) {
        const RunResult result = runProgram(QStringLiteral(KESTREL_ROOT_DIR "/bin/") + tool,
                                            {"missing.xml", "out.h"}, dir.path());
        EXPECT_EQ(result.status, 1) << tool;
        EXPECT_TRUE(result.err.contains(message)) << qPrintable(result.err);
    }
}

} // namespace
