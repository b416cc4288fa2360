#include "macros/macro_system.h"

#include "host/path.h"
#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using Table = QMap<QString, QString>;

// Every test starts from a freshly constructed process-wide object (no environment exists in
// this binary, so global macros are kept inside it).
class MacroSystemTest : public ::testing::Test
{
protected:
    void SetUp() override { macroSystem.reset(); }
    void TearDown() override { macroSystem.reset(); }
};

// Names are case-sensitive and not trimmed; references that never resolve end the expansion.
TEST(MacroExpansion, ReferencesFallbacksLiteralsAndExactNames)
{
    const Table table{{"A", "1"}, {"F(x)", "fx"}, {"Empty", ""}, {"Ref", "$(A)"},
                      {"Self", "$(B:$(Self))"}, {"B1", "x"}, {"Loop", "$(X:$(Loop))"},
                      {"Name", "v"}, {" Pad", "p"}};
    const std::pair<const char *, const char *> cases[] = {
        {"x$(A)y", "x1y"}, {"$(B)", "$(B)"}, {"$(B:dflt)", "dflt"}, {"$(A:dflt)", "1"},
        {"$$(A)", "$1"}, {"cost $5", "cost $5"}, {"$(A", "$(A"}, {"x$(A)$(A", "x1$(A"},
        {"$(B:$(A))", "1"}, {"$(B::$(A))", "$(A)"}, {"$(B:)", ""}, {"$(F(x))", "fx"},
        {"$()", "$()"}, {"$", "$"}, {"a$", "a$"}, {"$(Empty)z", "z"}, {"$(A)$(A)$(A)", "111"},
        {"$(B:x:y)", "x:y"},
        // A value is inserted as written: only a reference with a "$" inside asks for another
        // pass, which then expands the whole text.
        {"$(Ref)", "$(A)"}, {"$(Ref) $(B:$(A))", "1 1"}, {"$(B:$(C:$(A)))", "1"},
        {"$(B:$(C))", "$(C)"},
        // A literal fallback ends the passes, even one asked for earlier in the text.
        {"$(B:$(A)) $(C::$(A))", "$(A) $(A)"},
        {"$(name)", "$(name)"}, {"$(Pad)", "$(Pad)"}, {"$( Pad)", "p"},
        {"$(A$(B))", "$(A$(B))"}, // the name itself holds a "$": stays as written
        {"$(A$(B)", "$(A$(B)"}, {"$(Y:$(Self))", "$(B:$(Self))"},
        {"$(Y:$(Loop)) tail", "$(X:$(Loop)) tail"},
    };
    for (const auto &[text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(macroSystem.replaceMacros(table, QString::fromUtf8(text)),
                  QString::fromUtf8(expected));
    }
}

TEST(MacroExpansion, TextWithoutReferencesIsReturnedAsIs)
{
    const QString plain = QString::fromUtf8("no macros $ here (really)");
    const QString result = macroSystem.replaceMacros({{"A", "1"}}, plain);
    EXPECT_EQ(result, plain);
    EXPECT_EQ(result.constData(), plain.constData()); // no copy was made
    EXPECT_TRUE(macroSystem.replaceMacros({}, QString()).isNull());
}

TEST(MacroExpansion, DynamicNamesUseTheClockWhenTheTableHasThem)
{
    const QString year = QString::number(QDate::currentDate().year());
    EXPECT_EQ(macroSystem.replaceMacros({{"DateYear", "1999"}}, "$(DateYear)"), year);
    EXPECT_EQ(macroSystem.replaceMacros({}, "$(DateYear)"), "$(DateYear)");
    const QString time = macroSystem.replaceMacros({{"Time", ""}}, "$(Time)");
    EXPECT_EQ(time.size(), 8);
    EXPECT_EQ(time[2], u':');
    const QString date = macroSystem.replaceMacros({{"Date", ""}}, "$(Date)");
    EXPECT_TRUE(date.endsWith(year));
    EXPECT_TRUE(date.contains(QLocale::c().monthName(QDate::currentDate().month())));

    QString value;
    EXPECT_FALSE(MacroSystem::dynamicMacro("StudioDir", value));
    EXPECT_TRUE(MacroSystem::dynamicMacro("DateMonth", value));
    EXPECT_EQ(value, QDate::currentDate().toString("MM"));
}

struct ListCase
{
    const char *text;
    bool keepEmpty;
    QStringList expected;
};

TEST(MacroListText, StringListsToAndFromText)
{
    const ListCase cases[] = {
        {"a;;b\\;c;d\\\\", false, {"a", "b;c", "d\\"}},
        {"a;;b\\;c;d\\\\", true, {"a", "", "b;c", "d\\"}}, {"", false, {}}, {"", true, {""}},
        {";", true, {"", ""}}, {"a;", false, {"a"}}, {"a\\", false, {"a\\"}},
        {"\\x\\y", false, {"xy"}},
    };
    for (const ListCase &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(MacroSystem::stringListFromString(QString::fromUtf8(c.text), c.keepEmpty),
                  c.expected);
    }
    EXPECT_EQ(MacroSystem::stringFromStringList({"a;b", "c\\d"}), "a\\;b;c\\\\d");
    EXPECT_EQ(MacroSystem::stringFromStringList({}), "");
    EXPECT_FALSE(MacroSystem::stringFromStringList({}).isNull());
    const QStringList items{"x", "", "semi;colon", "back\\slash\\", "\\;"};
    EXPECT_EQ(MacroSystem::stringListFromString(MacroSystem::stringFromStringList(items), true),
              items);
}

TEST(MacroListText, MacroTablesAsLists)
{
    const Table table = MacroSystem::macrosFromStringList({"A=1", "B=x=y", "C", "A=2", "=v"});
    EXPECT_EQ(table, (Table{{"A", "2"}, {"B", "x=y"}, {"C", ""}, {"", "v"}}));
    EXPECT_EQ(MacroSystem::stringListFromMacros({{" Pad ", " v "}, {"B", "x=y"}}),
              (QStringList{"Pad= v ", "B=x=y"}));
    EXPECT_EQ(MacroSystem::overwriteMacros({{"A", "1"}, {"B", "2"}}, {{"B", "3"}, {"C", "4"}}),
              (Table{{"A", "1"}, {"B", "3"}, {"C", "4"}}));
}

TEST_F(MacroSystemTest, GlobalMacrosOverrideSystemMacros)
{
    macroSystem.setSystemMacroPath("StudioDir", Path("/opt/t/./bin/.."));
    EXPECT_EQ(macroSystem.systemMacro("StudioDir"), "/opt/t");

    macroSystem.setGlobalMacro("HostOS", "linux");
    macroSystem.setGlobalMacro("Lib", "$(StudioDir)/lib");
    EXPECT_EQ(macroSystem.globalMacros(false), (Table{{"HostOS", "linux"}, {"Lib", "$(StudioDir)/lib"}}));
    EXPECT_EQ(macroSystem.globalMacro("HostOS"), "linux");
    EXPECT_EQ(macroSystem.globalMacro("HostArch"), "x86");
    EXPECT_EQ(macroSystem.replaceGlobalMacros("$(Lib)"), "$(StudioDir)/lib");

    macroSystem.setGlobalMacro("HostOS", "");
    EXPECT_EQ(macroSystem.globalMacro("HostOS"), "solaris");
    EXPECT_FALSE(macroSystem.globalMacros(false).contains("HostOS"));

    // The global table sees system macros set after it was first asked for.
    EXPECT_FALSE(macroSystem.globalMacros(true).contains("PackagesDir"));
    macroSystem.setSystemMacro("PackagesDir", "/p");
    EXPECT_EQ(macroSystem.globalMacros(true).value("PackagesDir"), "/p");
}

// Far more than any setting, far less than what an unbounded doubling reaches in 32 passes.
constexpr qsizetype kBound = qsizetype(4) << 20;

TEST(MacroExpansionLimits, ADefinitionThatHoldsItselfSeveralTimesStopsGrowing)
{
    // The nested reference asks for another pass every time, and each pass turns every $(X)
    // into three more: unbounded, the text would pass 10^16 characters within the 32 passes.
    const QMap<QString, QString> table{{"X", "$(X)$(X)$(X)$(Z:$(X))"}};
    const QString expanded = macroSystem.replaceMacros(table, "<$(X)$(Z:$(X))>");
    EXPECT_GT(expanded.size(), 100000);
    EXPECT_LT(expanded.size(), kBound);
    EXPECT_TRUE(expanded.startsWith("<$(X)"));
    EXPECT_TRUE(expanded.endsWith(">")); // the text after the point where it stopped is kept
}

// Inputs that made macro expansion run away when fuzzed. Each file holds a macro table in its
// text form on the first line and the text to expand after it.
TEST(MacroExpansionLimits, FuzzInputsExpandWithinBounds)
{
    const QDir dir(kestrelTestsDir() + "/macros/fixtures/fuzz");
    const QStringList files = dir.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString &name : files) {
        SCOPED_TRACE(name.toStdString());
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString input = QString::fromUtf8(file.readAll());
        const qsizetype newline = input.indexOf(u'\n');
        const Table table = MacroSystem::macrosFromStringList(
            MacroSystem::stringListFromString(input.left(newline), false));
        EXPECT_LT(macroSystem.replaceMacros(table, input.mid(newline + 1)).size(), kBound);
    }
}

} // namespace
