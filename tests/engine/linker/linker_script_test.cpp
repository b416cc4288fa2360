#include "engine/linker/linker_script.h"
#include "engine/linker/memory_map.h"
#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

class LinkerScriptTest : public ::testing::Test
{
protected:
    std::unique_ptr<MemoryMap> map(const char *name, const QByteArray &xml)
    {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(writeTextFile(path, xml));
        auto loaded = std::make_unique<MemoryMap>();
        EXPECT_TRUE(loaded->load(path, QString(), false)) << name;
        return loaded;
    }

    // The script text, or the message the generator threw prefixed with "thrown: ".
    QString generate(const LinkerScriptSettings &settings, bool checkOverflow, MemoryMap *memoryMap,
                     MemoryMap *placement, QString path = QString())
    {
        if (path.isEmpty())
            path = m_dir.filePath("out.ld");
        try {
            createLinkerScript(settings, path, checkOverflow, memoryMap, placement);
        } catch (const QString &message) {
            return "thrown: " + message;
        }
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QString::fromUtf8(file.readAll());
    }

    QTemporaryDir m_dir;
};

// Architecture; main, process, IRQ, FIQ, SVC, abort and undefined stacks; heap. ARM7 cores
// write no process stack, Cortex-M cores no mode stacks.
const LinkerScriptSettings kArm{"v4T", "1024", "999", "256", "256", "0", "", "0", ""};
const LinkerScriptSettings kCortex{"v7M", "2048", "", "256", "", "", "", "", "1024"};

const char kFlashSramMap[] = R"x(<!DOCTYPE Board_Memory_Definition_File>
<Root name="Test board">
  <MemorySegment name="FLASH" start="0x0" size="0x40000" access="ReadOnly" address_symbol="__flash_base"/>
  <MemorySegment name="SRAM" start="0x20000000" size="0x10000" access="Read/Write" size_symbol="__sram_size"/>
</Root>
)x";

// Without overflow checks the same script loses the unplaced region and every assertion
// (each assertion line is followed by an empty line), and nothing else.
TEST_F(LinkerScriptTest, RunInPlacementLoadsInFlashAndRunsInRamWithOrWithoutChecks)
{
    // The placement and the whole script expected from it are files beside this test.
    const QString fixtures = kestrelTestsDir() + "/engine/linker/fixtures/";
    const QString script = readTextFile(fixtures + "run_in_script.ld");
    ASSERT_FALSE(script.isEmpty());
    auto memoryMap = map("map.xml", kFlashSramMap);
    auto placement = map("placement.xml", readTextFile(fixtures + "run_in_placement.xml").toUtf8());
    EXPECT_EQ(generate(kArm, true, memoryMap.get(), placement.get()), script);
    QStringList expected;
    const QStringList lines = script.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].contains(u"ASSERT("))
            ++i; // and its empty line
        else if (!lines[i].contains(u"UNPLACED_SECTIONS"))
            expected.append(lines[i]);
    }
    EXPECT_EQ(generate(kArm, false, memoryMap.get(), placement.get()), expected.join(u'\n'));
}

// Scripts checked by their telling parts: each of `parts` once, in this order; `absent` nowhere.
TEST_F(LinkerScriptTest, SectionsAndRegionsComeFromTheMapAndThePlacement)
{
    struct Case
    {
        const char *what, *map, *placement; // no placement: null
        QStringList parts, absent;
    };
    const Case cases[] = {
        {"absolute placement in a map with a blank in a segment name", R"x(<Root name="Board">
  <MemorySegment name="Internal RAM" start="0x20000000" size="0x1000">
    <ProgramSection name=".fast" load="Yes"/>
    <ProgramSection name=".fixed" start="+0x800" size="0x100"/>
  </MemorySegment></Root>)x", nullptr,
         {"  Internal_RAM (wx) : ORIGIN = 0x20000000, LENGTH = 0x00001000\n",
          // Cortex-M cores have a process stack and no mode stacks.
          "  __STACKSIZE__ = 2048;\n  __STACKSIZE_PROCESS__ = 0;\n  __STACKSIZE_IRQ__ = 0;\n",
          "  __HEAPSIZE__ = 1024;\n\n  .fast __Internal_RAM_segment_start__ :\n",
          "  .fixed 0x20000800 (NOLOAD) :\n  {\n    __fixed_start__ = .;\n    *(.fixed)\n"
          "    . = MAX(__fixed_start__ + 0x100 , .);\n  }\n",
          "  __Internal_RAM_segment_used_end__ = 0x20000800 + SIZEOF(.fixed);\n",
          "  . = ASSERT(__fast_end__ <= __fixed_start__ , \"error: section .fast overlaps "
          "absolute placed section .fixed\");\n\n}\n"},
         {}},
        // Sections the memory map places itself come first; placement sections for the same
        // segment are chained after them. A placement segment with a start but no size of its
        // own does not describe the memory.
        {"placement sections follow the map's own", R"x(<Root>
  <MemorySegment name="RAM" start="0x1000" size="0x100">
    <ProgramSection name=".first" load="Yes"/></MemorySegment></Root>)x", R"x(<Root>
  <MemorySegment name="RAM" start="0x1000"><ProgramSection name=".second" load="Yes"/></MemorySegment>
</Root>)x",
         {"  .first __RAM_segment_start__ :\n", "  .second __first_end__ :\n",
          "  __RAM_segment_used_end__ = __first_end__ + SIZEOF(.second);\n",
          "_segment_used_end__"},
         {}},
        // A placement whose segments have a start and a size describes the memory itself: its
        // segments become the regions and the map's own sections are not placed.
        {"placement with regions of its own", R"x(<Root>
  <MemorySegment name="ROM" start="0x0" size="0x100" access="ReadOnly">
    <ProgramSection name=".mapped" load="Yes"/></MemorySegment></Root>)x", R"x(<Root>
  <MemorySegment name="ROM" start="0x80" size="0x40" access="ReadOnly">
    <ProgramSection name=".text" load="Yes"/></MemorySegment></Root>)x",
         {"MEMORY\n{\n  ROM (rx) : ORIGIN = 0x00000080, LENGTH = 0x00000040\n}\n",
          "  __ROM_segment_end__ = 0x000000c0;\n", "  .text __ROM_segment_start__ :\n"},
         {".mapped"}},
        // The run section's predecessor is written before the section that runs after it.
        {"run address follows the run section's predecessor", kFlashSramMap, R"x(<Root>
  <MemorySegment name="FLASH"><ProgramSection name=".fast" load="Yes" runin=".fast_run"/></MemorySegment>
  <MemorySegment name="SRAM">
    <ProgramSection name=".bss" load="No"/>
    <ProgramSection name=".fast_run" load="No" alignment="16"/>
  </MemorySegment></Root>)x",
         {"  .bss ",
          "  __fast_load_start__ = __FLASH_segment_start__;\n"
          "  .fast ALIGN(__bss_end__ , 16) : AT(__fast_load_start__)\n",
          "  __FLASH_segment_used_end__ = __FLASH_segment_start__ + SIZEOF(.fast);\n"},
         {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        auto memoryMap = map("map.xml", c.map);
        auto placement = c.placement ? map("placement.xml", c.placement) : nullptr;
        const QString script = generate(kCortex, !c.placement, memoryMap.get(), placement.get());
        qsizetype from = 0;
        for (const QString &part : c.parts) {
            EXPECT_EQ(script.count(part), 1) << qPrintable(part) << qPrintable(script);
            const qsizetype at = script.indexOf(part, from);
            EXPECT_GE(at, 0) << qPrintable(part);
            from = std::max(from, at);
        }
        for (const QString &part : c.absent)
            EXPECT_FALSE(script.contains(part)) << qPrintable(part) << qPrintable(script);
    }
}

TEST_F(LinkerScriptTest, LayoutErrorsAreThrownAsMessages)
{
    struct Case { const char *placement, *message; };
    const Case cases[] = {
        {R"x(<Root><MemorySegment name="SRAM">
             <ProgramSection name=".fixed" start="0x20010000"/></MemorySegment></Root>)x",
         "The .fixed section has been placed at an absolute address outside of its segment range."},
        {R"x(<Root><MemorySegment name="SRAM">
             <ProgramSection name=".fixed" start="0x1fffffff"/></MemorySegment></Root>)x",
         "The .fixed section has been placed at an absolute address outside of its segment range."},
        {R"x(<Root><MemorySegment name="FLASH">
             <ProgramSection name=".data" runin=".nowhere"/></MemorySegment></Root>)x",
         "cannot find run section .nowhere referenced in .data"},
        {R"x(<Root><MemorySegment name="FLASH">
             <ProgramSection name=".a" runin=".b"/></MemorySegment>
             <MemorySegment name="SRAM"><ProgramSection name=".b"/>
             <ProgramSection name=".c" runin=".a"/></MemorySegment></Root>)x",
         "run section .a cannot have run in sections"},
        // .data_run's own run section follows it, so laying out that section's predecessor
        // would lead back to .data_run: the broken rule is reported, not the cycle.
        {R"x(<Root><MemorySegment name="FLASH">
             <ProgramSection name=".data" runin=".data_run"/></MemorySegment>
             <MemorySegment name="SRAM"><ProgramSection name=".data_run" runin=".bss"/>
             <ProgramSection name=".bss"/></MemorySegment></Root>)x",
         "run section .data_run cannot have run in sections"},
        {R"x(<Root><MemorySegment name="FLASH">
             <ProgramSection name=".a" runin=".d"/><ProgramSection name=".b"/></MemorySegment>
             <MemorySegment name="SRAM"><ProgramSection name=".c" runin=".b"/>
             <ProgramSection name=".d"/></MemorySegment></Root>)x",
         "cyclic memory section dependency with section .a"},
    };
    auto memoryMap = map("map.xml", kFlashSramMap);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        auto placement = map("placement.xml", c.placement);
        EXPECT_EQ(generate(kArm, true, memoryMap.get(), placement.get()),
                  "thrown: " + QString(c.message));
    }
}

// A script that cannot be written, or only in part, fails with the script's name.
TEST_F(LinkerScriptTest, UnwritableScriptFailsNamingIt)
{
    auto memoryMap = map("map.xml", kFlashSramMap);
    const QString directory = m_dir.filePath("app.ld");
    ASSERT_TRUE(QDir().mkpath(directory));
    // The device accepts the file being opened and refuses every byte written to it.
    EXPECT_EQ(generate(kCortex, false, memoryMap.get(), nullptr, "/dev/full"),
              "thrown: cannot write linker script file: /dev/full (No space left on device)");
    EXPECT_EQ(generate(kCortex, false, memoryMap.get(), nullptr, directory),
              "thrown: cannot write linker script file: " + directory);
}

} // namespace
