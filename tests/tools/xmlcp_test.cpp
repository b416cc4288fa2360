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

TEST(Xmlcp, UnreadableSourceFails)
{
    QTemporaryDir dir;
    const RunResult result = runProgram(QStringLiteral(KESTREL_ROOT_DIR "/bin/xmlcp"),
                                        {"missing.xml", "out.xml"}, dir.path());
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.err.contains("cannot read \"missing.xml\""));
}

} // namespace
