#include "mungeas/section_renamer.h"

#include <gtest/gtest.h>

namespace {

const SectionNames kRenamed{".fast", ".iram", ".izero", ".flashconst"};

TEST(SectionRenamer, RenamesTheDirectivesOfEveryDefaultSection)
{
    const std::pair<const char *, const char *> cases[] = {
        {"\t.text", "\t.section\t.fast,\"ax\",%progbits"},
        {"\t.data", "\t.section\t.iram,\"aw\",%progbits"},
        {"\t.bss", "\t.section\t.izero,\"aw\",%nobits"},
        {"  .text   @ code follows", "  .section\t.fast,\"ax\",%progbits   @ code follows"},
        {"\t.section\t.rodata", "\t.section\t.flashconst,\"a\",%progbits"},
        {"\t.section\t.rodata.str1.4,\"aMS\",%progbits,1",
         "\t.section\t.flashconst.str1.4,\"aMS\",%progbits,1"},
        {"\t.section\t.text.main,\"ax\",%progbits", "\t.section\t.fast.main,\"ax\",%progbits"},
        {"\t.section\t.bss.buffer,\"aw\",%nobits", "\t.section\t.izero.buffer,\"aw\",%nobits"},
        {"\t.pushsection .data.rel.ro,\"aw\"", "\t.pushsection .iram.rel.ro,\"aw\""},
    };
    for (const auto &[line, expected] : cases) {
        SCOPED_TRACE(line);
        EXPECT_EQ(renameSections(line, kRenamed), expected);
    }
}

TEST(SectionRenamer, LeavesOtherLinesAlone)
{
    const char *lines[] = {
        "\t.section\t.debug_info,\"\",%progbits", // not a default section
        "\t.section\t.textual",                   // only a prefix of ".text"
        "\t.section\t.vectors,\"ax\"",
        "main:", "\tldr\tr3, .L3",
        "\t.word\t.data",    // a reference, not a directive
        "\t.text_start = 0", // a symbol that starts like the directive
        "\t.data 1 extra",   // not the directive's form
        "\t.previous", "",
    };
    for (const char *line : lines) {
        SCOPED_TRACE(line);
        EXPECT_EQ(renameSections(line, kRenamed), line);
    }
}

TEST(SectionRenamer, DefaultNamesKeepTheSectionsButGiveThemFlags)
{
    EXPECT_EQ(renameSections("\t.section\t.text.f,\"ax\",%progbits", SectionNames{}),
              "\t.section\t.text.f,\"ax\",%progbits");
    EXPECT_EQ(renameSections("\t.text", SectionNames{}), "\t.section\t.text,\"ax\",%progbits");
}

} // namespace
