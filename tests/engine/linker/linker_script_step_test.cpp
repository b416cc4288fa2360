#include "engine/command_recorder.h"
#include "engine/linker/linker_script_step.h"
#include "engine/linker/memory_map_open_files.h"
#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>

#include <gtest/gtest.h>

namespace {

const char kMap[] =
    R"x(<Root><MemorySegment name="FLASH" start="0" size="0x1000" access="ReadOnly"/>
<MemorySegment name="RAM" start="0x20000000" size="0x100"/></Root>)x";
const char kPlacement[] =
    R"x(<Root><MemorySegment name="FLASH"><ProgramSection name=".text" load="Yes"/>
</MemorySegment></Root>)x";

class LinkerScriptStepTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_script.projectDirectory = m_dir.path();
        m_script.scriptPath = m_dir.filePath("Debug/Obj/app.ld");
        m_script.memoryMapFile = "board/map.xml";
        m_script.sectionPlacementFile = m_dir.filePath("placement.xml");
        m_script.settings.architecture = "v7M";
        writeTextFile(m_dir.filePath("board/map.xml"), kMap);
        writeTextFile(m_script.sectionPlacementFile, kPlacement);
        setFileTime(m_dir.filePath("board/map.xml"), kInputTime);
        setFileTime(m_script.sectionPlacementFile, kInputTime);
    }
    void TearDown() override { MemoryMapOpenFiles::clear(); }

    QStringList run(const LinkerScriptPropertiesCurrent &current = {})
    {
        CommandRecorder builder;
        m_result = updateGeneratedLinkerScript(m_script, nullptr, &builder, current);
        return builder.log;
    }

    static constexpr qint64 kInputTime = 1600000000;
    QTemporaryDir m_dir;
    GeneratedLinkerScript m_script;
    bool m_result = false;
};

const QStringList kGenerated = {"group Generating linker script", "end"};

// A missing script is generated. Later, an input newer than the script, a changed property or
// a text that no longer matches the inputs (left half written by a failed generation, or made
// from other settings) has it written again, after which it is current.
TEST_F(LinkerScriptStepTest, GeneratesAScriptAndRegeneratesItWhenItIsOutOfDate)
{
    EXPECT_EQ(run(), kGenerated);
    EXPECT_TRUE(m_result);
    const QString generated = readTextFile(m_script.scriptPath);
    EXPECT_TRUE(generated.contains(u"  RAM (wx) : ORIGIN = 0x20000000, LENGTH = 0x00000100\n"))
        << qPrintable(generated);
    EXPECT_TRUE(generated.contains(u"  .text __FLASH_segment_start__ :\n"))
        << qPrintable(generated);
    const QString map = m_dir.filePath("board/map.xml");
    const auto setTimes = [&](qint64 mapTime, qint64 placementTime) {
        setFileTime(map, mapTime);
        setFileTime(m_script.sectionPlacementFile, placementTime);
        setFileTime(m_script.scriptPath, kInputTime + 10);
    };
    struct Case
    {
        const char *what;
        std::function<void()> change;
        bool propertiesCurrent, regenerates;
    };
    const Case cases[] = {
        {"all current", [] {}, true, false},
        {"same second as the script", [&] { setTimes(kInputTime + 10, kInputTime); }, true, false},
        {"memory map newer", [&] { setTimes(kInputTime + 11, kInputTime); }, true, true},
        {"placement newer", [&] { setTimes(kInputTime, kInputTime + 11); }, true, true},
        {"a property changed", [] {}, false, true},
        {"half written", [&] { writeTextFile(m_script.scriptPath, generated.left(40)); }, true,
         true},
        {"heap size changed", [&] { m_script.settings.heapSize = "4096"; }, true, true},
        {"overflow checks off", [&] { m_script.checkOverflow = false; }, true, true},
        {"no section placement", [&] { m_script.sectionPlacementFile.clear(); }, true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        setTimes(kInputTime, kInputTime);
        c.change();
        setFileTime(m_script.scriptPath, kInputTime + 10);
        QDateTime asked;
        EXPECT_EQ(run([&](const QDateTime &scriptTime) {
                      asked = scriptTime;
                      return c.propertiesCurrent;
                  }),
                  c.regenerates ? kGenerated : QStringList());
        EXPECT_TRUE(m_result);
        if (asked.isValid()) { // the properties are compared with the script's own time
            EXPECT_EQ(asked.toSecsSinceEpoch(), kInputTime + 10);
        }
        setTimes(kInputTime, kInputTime);
        EXPECT_EQ(run(), QStringList()); // and then it is current again
    }
    EXPECT_TRUE(readTextFile(m_script.scriptPath).contains(u"  __HEAPSIZE__ = 4096;\n"));
}

TEST_F(LinkerScriptStepTest, ReportsMissingUnreadableAndUnusableInputs)
{
    const QString broken = m_dir.filePath("broken.xml"), nowhere = m_dir.filePath("nowhere.xml");
    writeTextFile(broken, "<Root><a></b></Root>");
    writeTextFile(nowhere, R"(<Root><MemorySegment name="FLASH"><ProgramSection name=".a"
        runin=".b"/></MemorySegment></Root>)");
    const QString absent = m_dir.filePath("absent.xml");
    struct Case
    {
        QString memoryMap;
        QString placement;
        QString error;
        bool generating; // the inputs exist, so the step began
    };
    const QString placement = m_script.sectionPlacementFile;
    const QString map = m_script.memoryMapFile;
    const Case cases[] = {
        {QString(), placement, "no linker script or memory map file specified", false},
        {"absent.xml", placement, "memory map file does not exist: " + absent, false},
        {map, absent, "section placement file does not exist: " + absent, false},
        {broken, placement, "cannot load memory map file: " + broken, true},
        {map, broken, "cannot load section placement file: " + broken, true},
        {map, nowhere, "cannot find run section .b referenced in .a", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(qPrintable(c.error));
        m_script.memoryMapFile = c.memoryMap;
        m_script.sectionPlacementFile = c.placement;
        const QStringList expected = c.generating
                                         ? QStringList{kGenerated[0], "error " + c.error, "end"}
                                         : QStringList{"error " + c.error};
        EXPECT_EQ(run(), expected);
        EXPECT_FALSE(m_result);
    }
}

TEST_F(LinkerScriptStepTest, PreprocessorWarningsAreNotedAndStopNothing)
{
    writeTextFile(m_script.sectionPlacementFile,
                  QString(kPlacement).replace("</Root>", R"(<if A="1" B="2"/></Root>)"));
    const QStringList log = run();
    ASSERT_EQ(log.size(), 3) << qPrintable(log.join(u'\n'));
    EXPECT_TRUE(log[1].startsWith(u"note " + m_script.sectionPlacementFile + u": "));
    EXPECT_TRUE(log[1].contains(u"one condition required")) << qPrintable(log[1]);
    EXPECT_TRUE(m_result);
}

} // namespace
