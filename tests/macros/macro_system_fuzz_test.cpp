// Inputs that made macro expansion run away when fuzzed. Each file holds a macro table in its
// text form on the first line and the text to expand after it.
#include "macros/macro_system.h"

#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

// Far more than any setting, far less than what an unbounded doubling reaches in 32 passes.
constexpr qsizetype kBound = qsizetype(4) << 20;

QString expandFile(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    const QString input = QString::fromUtf8(file.readAll());
    const qsizetype newline = input.indexOf(u'\n');
    const QMap<QString, QString> table = MacroSystem::macrosFromStringList(
        MacroSystem::stringListFromString(input.left(newline), false));
    return macroSystem.replaceMacros(table, input.mid(newline + 1));
}

} // namespace

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

TEST(MacroExpansionLimits, FuzzInputsExpandWithinBounds)
{
    const QDir dir(kestrelTestsDir() + "/macros/fixtures/fuzz");
    const QStringList files = dir.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString &name : files) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_LT(expandFile(dir.filePath(name)).size(), kBound);
    }
}
