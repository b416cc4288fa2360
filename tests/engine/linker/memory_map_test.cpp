#include "engine/linker/memory_map.h"
#include "engine/linker/memory_map_element.h"
#include "engine/linker/memory_map_numbers.h"
#include "engine/linker/memory_map_open_files.h"
#include "expr/simple_expression_parser.h"
#include "macros/macro_system.h"
#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

class MemoryMapTest : public ::testing::Test
{
protected:
    void TearDown() override { MemoryMapOpenFiles::clear(); }

    QString write(const QString &name, const char *xml)
    {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(writeTextFile(path, QString::fromUtf8(xml)));
        return path;
    }

    std::unique_ptr<MemoryMap> load(const char *xml, const QString &macros = QString(),
                                    bool preprocess = false)
    {
        auto map = std::make_unique<MemoryMap>();
        EXPECT_TRUE(map->load(write("map.xml", xml), macros, preprocess));
        return map;
    }

    // A segment of program sections and one of registers, each placed in its own way.
    static QByteArray peripherals()
    {
        return readTextFile(kestrelTestsDir() + "/engine/linker/fixtures/peripherals.xml").toUtf8();
    }

    static QStringList names(const QList<MemoryMapElement *> &elements)
    {
        QStringList list;
        for (const MemoryMapElement *e : elements)
            list.append(e->name());
        return list;
    }

    QTemporaryDir m_dir;
};

TEST_F(MemoryMapTest, AddressesAndSizesAreComputedRelativeToTheEnclosingElement)
{
    auto map = load(peripherals().constData());
    struct Case { const char *name; quint32 address, size; };
    const Case cases[] = {
        {"SRAM", 0x20000000, 0x4000},
        {"relative", 0x20000100, 0x10},
        {"absolute", 0x100, 0},
        {"symbolic", 0, 0},
        {"UART", 0x40000010, 0x20},
        {"DATA", 0x40000014, 4},
        {"READY", 3, 1},
        {"STATUS", 0x40000018, 8},
    };
    QMap<QString, MemoryMapElement *> byName;
    for (MemoryMapElement *e : map->getAllElements())
        byName.insert(e->name(), e);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const MemoryMapElement *e = byName.value(QString::fromLatin1(c.name));
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->address(), c.address);
        EXPECT_EQ(e->size(), c.size);
    }
    EXPECT_EQ(byName.value("symbolic")->sizeAsString(), "__STACKSIZE__");
    // A relative start is meaningless out of its context, so its text form is the result.
    EXPECT_EQ(byName.value("relative")->addressAsString(), "0x20000100");
    EXPECT_EQ(byName.value("absolute")->addressAsString(), "0x100");
}

TEST_F(MemoryMapTest, ListsWalkDepthFirstInOrRevertedDocumentOrder)
{
    auto map = load(peripherals().constData());
    EXPECT_EQ(names(map->getSegments(true)), QStringList({"SRAM", "Peripherals"}));
    EXPECT_EQ(names(map->getSegments(false)), QStringList({"Peripherals", "SRAM"}));
    const MemoryMapElement *sram = map->getSegment("SRAM");
    ASSERT_NE(sram, nullptr);
    EXPECT_EQ(names(map->getSections(sram, true)),
              QStringList({"relative", "absolute", "symbolic"}));
    EXPECT_EQ(names(map->getSections(sram, false)),
              QStringList({"symbolic", "absolute", "relative"}));
    EXPECT_EQ(names(map->getAllElements()),
              QStringList({"Chip", "SRAM", "relative", "absolute", "symbolic", "Peripherals",
                           "UART", "DATA", "READY", "STATUS"}));
    EXPECT_EQ(map->getSegment("UART"), nullptr); // a register group, not a segment
    EXPECT_EQ(map->getSegment("sram"), nullptr);
}

TEST_F(MemoryMapTest, ImportsAreResolvedOneLevelDeepAndWatchedForChanges)
{
    write("inner.xml", R"x(<Root name="inner"><MemorySegment name="DEEP"/></Root>)x");
    const QString imported = write("sub/imported.xml", R"x(<Root name="imported">
  <MemorySegment name="FLASH" start="0x8000000" size="0x1000"><ProgramSection name="s" start="+4"/></MemorySegment>
  <Import filename="../inner.xml"/>
</Root>)x");
    auto map = load(R"x(<Root name="top">
  <MemorySegment name="SRAM"/>
  <Import filename="sub/imported.xml"/>
  <Import filename="missing.xml"/>
</Root>)x",
                    QString(), true);
    EXPECT_EQ(names(map->getSegments(true)), QStringList({"SRAM", "FLASH"}));
    const MemoryMapElement *flash = map->getSegment("FLASH");
    ASSERT_NE(flash, nullptr);
    EXPECT_EQ(flash->parentElement()->name(), "imported");
    EXPECT_EQ(flash->parentElement()->parentElement(), map->rootElement());
    ASSERT_NE(flash->parentElement()->importedBy(), nullptr);
    EXPECT_EQ(map->getSections(flash, true).value(0)->address(), 0x8000004u);
    EXPECT_TRUE(map->upToDate());

    ASSERT_TRUE(setFileTime(imported, 1000000000));
    EXPECT_FALSE(map->upToDate());
}

TEST_F(MemoryMapTest, FailedLoadsKeepThePreviousRoot)
{
    auto map = load(R"x(<Root name="first"/>)x");
    EXPECT_FALSE(map->load(m_dir.filePath("absent.xml"), QString(), false));
    EXPECT_FALSE(map->load(write("bad.xml", "<Root><a></b></Root>"), QString(), false));
    ASSERT_NE(map->rootElement(), nullptr);
    EXPECT_EQ(map->rootElement()->name(), "first");
}

TEST_F(MemoryMapTest, FileNamesAreExpandedWithTheGlobalMacros)
{
    const QString board = write("board.xml", R"x(<Root><MemorySegment name="A"/></Root>)x");
    macroSystem.setSystemMacro("LinkerTestBoardDir", m_dir.path());
    MemoryMap map;
    EXPECT_TRUE(map.load("$(LinkerTestBoardDir)/board.xml", QString(), false));
    EXPECT_EQ(map.baseFile(), board);
    EXPECT_TRUE(map.upToDate());
    const qint64 now = QFileInfo(map.baseFile()).lastModified().toSecsSinceEpoch();
    ASSERT_TRUE(setFileTime(map.baseFile(), now - 100)); // older counts as changed too
    EXPECT_FALSE(map.upToDate());
}

TEST_F(MemoryMapTest, PreprocessingUsesTheMacroText)
{
    const char xml[] = R"x(<Root>
  <if Family="SAM7,STR7"><MemorySegment name="FLASH" start="0x100000" size="$(FlashSize)"/></if>
  <ifnot Family="SAM7"><MemorySegment name="OTHER"/></ifnot>
</Root>)x";
    auto map = load(xml, "Family=SAM7;FlashSize=0x40000", true);
    EXPECT_EQ(names(map->getSegments(true)), QStringList({"FLASH"}));
    EXPECT_EQ(map->getSegment("FLASH")->size(), 0x40000u);
}

TEST_F(MemoryMapTest, CacheReusesMapsUntilTheFileOrTheMacrosChange)
{
    const QString path = write("cached.xml", R"x(<Root><MemorySegment name="A"/></Root>)x");
    MemoryMap *first = MemoryMapOpenFiles::getMemoryMapFile(path, "X=1", true);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(MemoryMapOpenFiles::getMemoryMapFile(path, "X=1", true), first);
    EXPECT_EQ(MemoryMapOpenFiles::count(), 1);

    MemoryMap *other = MemoryMapOpenFiles::getMemoryMapFile(path, "X=2", true);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->macros(), "X=2");
    EXPECT_EQ(MemoryMapOpenFiles::count(), 1);

    write("cached.xml", R"x(<Root><MemorySegment name="B"/></Root>)x");
    ASSERT_TRUE(setFileTime(path, 1500000000));
    MemoryMap *reloaded = MemoryMapOpenFiles::getMemoryMapFile(path, "X=2", true);
    ASSERT_NE(reloaded, nullptr);
    EXPECT_NE(reloaded->getSegment("B"), nullptr);

    EXPECT_EQ(MemoryMapOpenFiles::getMemoryMapFile(m_dir.filePath("none.xml"), {}, true), nullptr);
    EXPECT_EQ(MemoryMapOpenFiles::count(), 1);
}

// Literals are read without the expression parser: each must give what the parser gives.
TEST(MemoryMapNumbers, LiteralsReadDirectlyAgreeWithTheExpressionParser)
{
    for (const char *text : {"0", "7", "4096", "999999999", "1000000000", "0x0", "0x1f", "0xAbC",
                             "0x80000000", "0xFFFFFFFF", "0x100000000", "0x", "010", "0X10", " 5",
                             "5 ", "-1", "0x1g", "1+1", "0x20000000 + 0x100"}) {
        SCOPED_TRACE(text);
        bool ok = false;
        const quint64 parsed =
            SimpleExpressionParser::instance()->getUInteger(QString::fromLatin1(text), ok);
        const std::optional<quint64> value = evaluateMemoryMapExpression(QString::fromLatin1(text));
        EXPECT_EQ(value.has_value(), ok);
        if (value && ok) {
            EXPECT_EQ(*value, parsed);
        }
    }
}

} // namespace
