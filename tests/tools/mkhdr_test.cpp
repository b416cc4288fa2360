#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const char *kMap = R"(<!DOCTYPE Board_Memory_Definition_File>
<Root name="LM3S">
  <MemorySegment name="FLASH" start="0" size="0x40000" access="ReadOnly"/>
  <RegisterGroup name="UART0" start="0x4000C000">
    <Register name="UART0_DR" start="+0x0" size="4">
      <BitField name="DATA" start="0" size="8"/>
      <BitField name="OE" start="11" size="1"/>
    </Register>
    <Register name="UART0_FR" start="+0x18" access="ReadOnly">
      <BitField name="TXFF" start="5" size="1">
        <Enum name="FULL" start="1"/>
      </BitField>
    </Register>
    <Register name="UART0.LCRH" start="+0x2C" size="1"/>
  </RegisterGroup>
</Root>
)";

TEST(Mkhdr, WritesEveryRegisterFieldAndValueOfAMemoryMap)
{
    QTemporaryDir dir;
    ASSERT_TRUE(writeTextFile(dir.filePath("lm3s.xml"), kMap));
    const RunResult result = runProgram(QStringLiteral(KESTREL_ROOT_DIR "/bin/mkhdr"),
                                        {"lm3s.xml", "lm3s.h"}, dir.path());
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(readTextFile(dir.filePath("lm3s.h")),
              "/* The registers of lm3s.xml, written by mkhdr: edit the memory map, not this "
              "file. */\n"
              "#ifndef LM3S_H\n#define LM3S_H\n\n"
              "/* UART0 */\n"
              "#define UART0_DR (*(volatile unsigned int *)0x4000c000)\n"
              "#define UART0_DR_DATA_MASK 0x000000ff\n"
              "#define UART0_DR_DATA_BIT 0\n"
              "#define UART0_DR_OE_MASK 0x00000800\n"
              "#define UART0_DR_OE_BIT 11\n"
              "#define UART0_FR (*(const volatile unsigned int *)0x4000c018)\n"
              "#define UART0_FR_TXFF_MASK 0x00000020\n"
              "#define UART0_FR_TXFF_BIT 5\n"
              "#define UART0_FR_TXFF_FULL 1\n"
              "#define UART0_LCRH (*(volatile unsigned char *)0x4000c02c)\n"
              "\n#endif\n");
}

} // namespace
