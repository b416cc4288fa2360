// The generated linker script seen from the command line: a section too large for its segment
// fails the real link naming the segment, and the default placement serves the classic ARM
// cores too, with mode stacks sized from the project (the process stack, which only Cortex-M
// cores have, stays undefined).
#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(LinkerScriptE2E, ASectionThatDoesNotFitFailsTheLinkWithTheSegmentsName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(copyFixture(QStringLiteral("linker_memory_map"), dir.path()));
    QString board = readTextFile(dir.filePath("board.xml"));
    ASSERT_TRUE(board.contains("size=\"0x00040000\""));
    ASSERT_TRUE(writeTextFile(dir.filePath("board.xml"),
                              board.replace("size=\"0x00040000\"", "size=\"0x100\"")));
    const RunResult r = runKestrel({"-config", "Debug", "probe.zav"}, dir.path(),
                                   dir.filePath(QStringLiteral("user")));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(QString(r.out + r.err).contains(u"is too large to fit in FLASH memory segment"))
        << qPrintable(r.out) << qPrintable(r.err);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("Debug/probe.elf")));
}

TEST(LinkerScriptE2E, DefaultPlacementLinksAnArm7FirmwareWithModeStacks)
{
    QTemporaryDir dir;
    ASSERT_TRUE(copyFixture(QStringLiteral("linker_arm7"), dir.path()));
    const RunResult r = runKestrel({"-config", "Debug", "arm7.zav"}, dir.path(),
                                   dir.filePath(QStringLiteral("user")));
    ASSERT_EQ(r.status, 0) << qPrintable(r.out) << qPrintable(r.err);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("Debug/arm7.elf"))))
        << qPrintable(r.out);
    const QString script = readTextFile(dir.filePath(QStringLiteral("Debug/arm7.ld")));
    for (const char *line : {"  __STACKSIZE__ = 1024;\n", "  __STACKSIZE_IRQ__ = 256;\n",
                             "  __STACKSIZE_FIQ__ = 256;\n", "  __STACKSIZE_SVC__ = 0;\n",
                             "  __HEAPSIZE__ = 1024;\n", "  .vectors __Flash_segment_start__ :\n"})
        EXPECT_TRUE(script.contains(QLatin1String(line))) << line;
    EXPECT_FALSE(script.contains(u"__STACKSIZE_PROCESS__ ="));
}
