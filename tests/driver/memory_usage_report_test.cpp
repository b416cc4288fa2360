#include "driver/memory_usage_report.h"

#include "support/qt_printers.h"

#include <gtest/gtest.h>

namespace {

TEST(MemoryUsageReport, LineShowsBarPercentageAndBytes)
{
    struct Case
    {
        const char *name;
        quint64 used;
        quint64 size;
        const char *line;
    };
    const Case cases[] = {
        {"FLASH", 37248, 262144, "FLASH  [###.................]  14.2%  37,248 of 262,144 bytes"},
        {"SRAM", 0, 65536, "SRAM   [....................]   0.0%  0 of 65,536 bytes"},
        {"SRAM", 65536, 65536, "SRAM   [####################] 100.0%  65,536 of 65,536 bytes"},
        // Less than half a bar's step shows no mark; more than half of it shows one.
        {"RAM", 51, 2048, "RAM    [....................]   2.5%  51 of 2,048 bytes"},
        {"RAM", 52, 2048, "RAM    [#...................]   2.5%  52 of 2,048 bytes"},
        {"RAM", 1000999, 1000000,
         "RAM    [####################] 100.1%  1,000,999 of 1,000,000 bytes  OVERFLOW by 999 "
         "bytes"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        const SegmentUsage segment{QString::fromLatin1(c.name), 0, c.size, c.used, {}};
        EXPECT_EQ(MemoryUsageReport::line(segment, 5), QString::fromLatin1(c.line));
    }
}

} // namespace
