#include "engine/linker/linker_script_regions.h"

#include "support/qt_printers.h"

#include <gtest/gtest.h>

namespace {

QString described(const QList<MemoryRegion> &regions)
{
    QStringList parts;
    for (const MemoryRegion &region : regions)
        parts.append(QStringLiteral("%1@%2+%3")
                         .arg(region.name)
                         .arg(region.origin, 0, 16)
                         .arg(region.length, 0, 16));
    return parts.join(u' ');
}

TEST(LinkerScriptRegions, ReadsTheMemoryCommandAsLdWritesIt)
{
    struct Case
    {
        const char *script;
        const char *regions;
    };
    const Case cases[] = {
        {"MEMORY\n{\n  FLASH (rx) : ORIGIN = 0x00000000, LENGTH = 0x00040000\n"
         "  SRAM (wx) : ORIGIN = 0x20000000, LENGTH = 0x00010000\n}\n",
         "FLASH@0+40000 SRAM@20000000+10000"},
        // Short keywords, K and M, octal and decimal, no attributes, comments in between.
        {"/* MEMORY { X : o = 1, l = 1 } */ MEMORY { rom : org = 0x100, len = 256K\n"
         "/* ram : ORIGIN = 9, LENGTH = 9 */ ram(!rx):o=010,l=1M }",
         "rom@100+40000 ram@8+100000"},
        // An expression kestrel does not evaluate leaves its region out, not the others.
        {"MEMORY { A : ORIGIN = 0x10 + 4, LENGTH = 16  B : ORIGIN = 32, LENGTH = 2K }", "B@20+800"},
        // SECTIONS may name regions too; only the MEMORY command declares them.
        {"SECTIONS { .text : { *(.text) } > FLASH }", ""},
        {"MEMORY { FLASH (rx) : ORIGIN = 0, LENGTH = 4", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.script);
        EXPECT_EQ(described(linkerScriptRegions(QString::fromLatin1(c.script))),
                  QString::fromLatin1(c.regions));
    }
}

} // namespace
