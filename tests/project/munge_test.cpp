#include "project/munge.h"

#include "project/project_element.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

namespace {

QString munged(const QString &name, const QString &value, int version = 3)
{
    ProjectElement solution("solution");
    auto *configuration = new ProjectElement("configuration");
    configuration->attributeMap.insert("Name", "Common");
    configuration->attributeMap.insert(name, value);
    solution.appendChild(configuration);
    munge(&solution, version);
    return configuration->attribute(name);
}

} // namespace

TEST(Munge, OldTargetPathsMoveToTheTargetsDirectory)
{
    struct Case
    {
        const char *name, *value, *expected;
        int version = 3;
    };
    const Case cases[] = {
        {"file_name", "$(StudioDir)/targets/Board/flash.xml", "$(TargetsDir)/Board/flash.xml"},
        {"linker_memory_map_file", "x;$(StudioDir)/targets/B/a/m.xml", "x;$(TargetsDir)/B/a/m.xml"},
        {"linker_section_placement_file", "$(StudioDir)/targets/B/p.xml", "$(TargetsDir)/B/p.xml"},
        {"property_groups_file_path", "$(StudioDir)/targets/B/g.xml", "$(TargetsDir)/B/g.xml"},
        {"arm_target_flash_loader_file_path", "$(StudioDir)/targets/B/l.elf",
         "$(TargetsDir)/B/l.elf"},
        {"arm_simulator_memory_simulation_filename", "$(StudioDir)/targets/B/s.so",
         "$(TargetsDir)/B/s.so"},
        // No directory below targets, another case, or another property: unchanged.
        {"file_name", "$(StudioDir)/targets/readme.txt", "$(StudioDir)/targets/readme.txt"},
        {"file_name", "$(studiodir)/targets/B/f.xml", "$(studiodir)/targets/B/f.xml"},
        {"c_user_include_directories", "$(StudioDir)/targets/B/inc", "$(StudioDir)/targets/B/inc"},
        // Version 0 keeps everything.
        {"file_name", "$(StudioDir)/targets/Board/flash.xml", "$(StudioDir)/targets/Board/flash.xml",
         0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(munged(c.name, c.value, c.version), c.expected);
    }
}

TEST(Munge, ChipSupportLibrariesMoveToPackages)
{
    EXPECT_EQ(munged("linker_additional_files", "$(StudioDir)/lib/libstm32f1$(LibExt)$(LIB)"),
              "$(PackagesDir)/lib/libstm32f1$(LibExt)$(LIB)");
    // Only the first match is rewritten.
    EXPECT_EQ(munged("linker_additional_files",
                     "$(StudioDir)/lib/liblpc2000.a;$(StudioDir)/lib/liblpc17.a"),
              "$(PackagesDir)/lib/liblpc2000.a;$(StudioDir)/lib/liblpc17.a");
    EXPECT_EQ(munged("linker_additional_files", "$(StudioDir)/lib/libm.a"),
              "$(StudioDir)/lib/libm.a");
}
