// The generated linker script seen from the command line: it follows the memory map file,
// and the link step reports missing, unreadable and unusable maps and placements.
#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const char kBoard[] = R"x(<!DOCTYPE Board_Memory_Definition_File>
<Root name="Probe board">
  <MemorySegment name="FLASH" start="0x00000000" size="%1" access="ReadOnly"/>
  <MemorySegment name="SRAM" start="0x20000000" size="%2" access="Read/Write"
                 size_symbol="__SRAM_size"/>
</Root>
)x";

class LinkerScriptE2E : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(copyFixture(QStringLiteral("linker_memory_map"), m_dir.path()));
    }

    RunResult build()
    {
        return runKestrel({"-config", "Debug", "probe.zav"}, m_dir.path(), path("user"));
    }

    RunResult runFirmware()
    {
        return runProgram(QStringLiteral("qemu-system-arm"),
                          {"-M", "lm3s6965evb", "-nographic", "-semihosting-config",
                           "enable=on,target=native", "-kernel", path("Debug/probe.elf")},
                          m_dir.path(), {}, 10000);
    }

    static bool haveEmulator()
    {
        return !QStandardPaths::findExecutable(QStringLiteral("qemu-system-arm")).isEmpty();
    }

    QString path(const char *name) const { return m_dir.filePath(QLatin1String(name)); }

    void writeBoard(const char *flashSize, const char *sramSize)
    {
        ASSERT_TRUE(writeTextFile(
            path("board.xml"),
            QString::fromLatin1(kBoard).arg(QLatin1String(flashSize), QLatin1String(sramSize))));
    }

    // The solution with the project's Common attributes replaced.
    void setProjectProperties(const QString &attributes)
    {
        QString solution = readTextFile(path("probe.zav"));
        solution.replace(QStringLiteral("linker_memory_map_file=\"board.xml\""), attributes);
        ASSERT_TRUE(writeTextFile(path("probe.zav"), solution));
    }

    QTemporaryDir m_dir;
};

TEST_F(LinkerScriptE2E, ChangingTheMemoryMapRegeneratesTheScriptAndRelinks)
{
    RunResult r = build();
    ASSERT_EQ(r.status, 0) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains(u"Generating linker script")) << qPrintable(r.out);
    if (haveEmulator()) {
        EXPECT_EQ(runFirmware().out, QStringLiteral("SRAM ends at 0x20010000, size 0x10000\n"));
    }

    // Everything the first build read and wrote is made older, and the changed memory map
    // newer than the script but still in the past, so the next build's files are newest.
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QDirIterator files(m_dir.path(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext())
        ASSERT_TRUE(setFileTime(files.next(), now - 1000));
    writeBoard("0x00040000", "0x8000");
    ASSERT_TRUE(setFileTime(path("board.xml"), now - 500));
    r = build();
    ASSERT_EQ(r.status, 0) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains(u"Generating linker script")) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains(u"Linking probe.elf")) << qPrintable(r.out);
    EXPECT_FALSE(r.out.contains(u"Compiling")) << qPrintable(r.out);
    EXPECT_TRUE(
        readTextFile(path("Debug/probe.ld")).contains(u"  __SRAM_segment_end__ = 0x20008000;\n"));
    if (haveEmulator()) {
        EXPECT_EQ(runFirmware().out, QStringLiteral("SRAM ends at 0x20008000, size 0x8000\n"));
    }

    r = build();
    EXPECT_FALSE(r.out.contains(u"Generating linker script")) << qPrintable(r.out);
    EXPECT_FALSE(r.out.contains(u"Linking")) << qPrintable(r.out);
}

TEST_F(LinkerScriptE2E, ASectionThatDoesNotFitFailsTheLinkWithTheSegmentsName)
{
    writeBoard("0x100", "0x10000");
    const RunResult r = build();
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains(u"is too large to fit in FLASH memory segment") ||
                r.err.contains(u"is too large to fit in FLASH memory segment"))
        << qPrintable(r.out) << qPrintable(r.err);
}

TEST_F(LinkerScriptE2E, UnusableInputsAreReportedAndNothingIsLinked)
{
    writeTextFile(path("broken.xml"), QStringLiteral("<Root><MemorySegment></Root>"));
    writeTextFile(
        path("runs_nowhere.xml"),
        QStringLiteral("<!DOCTYPE Linker_Placement_File>\n<Root><MemorySegment "
                       "name=\"FLASH\"><ProgramSection name=\".data\" runin=\".nowhere\"/>"
                       "</MemorySegment></Root>\n"));
    writeTextFile(
        path("outside.xml"),
        QStringLiteral("<!DOCTYPE Linker_Placement_File>\n<Root><MemorySegment "
                       "name=\"SRAM\"><ProgramSection name=\".fixed\" start=\"0x30000000\"/>"
                       "</MemorySegment></Root>\n"));
    struct Case
    {
        const char *attributes;
        QString message;
    };
    const Case cases[] = {
        {"linker_memory_map_file=\"\"",
         QStringLiteral("no linker script or memory map file specified")},
        {"linker_memory_map_file=\"missing.xml\"",
         u"memory map file does not exist: " + path("missing.xml")},
        {"linker_memory_map_file=\"broken.xml\"",
         u"cannot load memory map file: " + path("broken.xml")},
        {"linker_memory_map_file=\"board.xml\" linker_section_placement_file=\"absent.xml\"",
         u"section placement file does not exist: " + path("absent.xml")},
        {"linker_memory_map_file=\"board.xml\" linker_section_placement_file=\"broken.xml\"",
         u"cannot load section placement file: " + path("broken.xml")},
        {"linker_memory_map_file=\"board.xml\" linker_section_placement_file=\"runs_nowhere.xml\"",
         QStringLiteral("cannot find run section .nowhere referenced in .data")},
        {"linker_memory_map_file=\"board.xml\" linker_section_placement_file=\"outside.xml\"",
         QStringLiteral("The .fixed section has been placed at an absolute address outside of "
                        "its segment range.")},
    };
    const QString original = readTextFile(path("probe.zav"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.attributes);
        ASSERT_TRUE(writeTextFile(path("probe.zav"), original));
        setProjectProperties(QString::fromLatin1(c.attributes));
        const RunResult r = build();
        EXPECT_TRUE(r.out.contains(c.message)) << qPrintable(r.out) << qPrintable(r.err);
        EXPECT_FALSE(QFileInfo::exists(path("Debug/probe.elf")));
    }
}

} // namespace

// The default placement serves the classic ARM cores too: their mode stacks are sized from
// the project and the process stack, which only Cortex-M cores have, may stay undefined.
TEST(LinkerScriptArm7, DefaultPlacementLinksAnArm7FirmwareWithModeStacks)
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
