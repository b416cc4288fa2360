// Macro expansion and the ";" list text forms. The first line of the input is a macro table in
// its text form ("name=value;..."), the rest the text to expand.
#include "macros/macro_system.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace {

// Joining and splitting again must give back the same items, for any list the splitter makes.
void checkListRoundTrip(const QString &text, bool keepEmpty)
{
    const QStringList items = MacroSystem::stringListFromString(text, keepEmpty);
    const QString joined = MacroSystem::stringFromStringList(items);
    if (MacroSystem::stringListFromString(joined, keepEmpty) != items)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString input =
        QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype newline = input.indexOf(u'\n');
    const QString tableText = newline < 0 ? input : input.left(newline);
    const QString text = newline < 0 ? QString() : input.mid(newline + 1);

    checkListRoundTrip(input, true);
    checkListRoundTrip(input, false);

    const QMap<QString, QString> table =
        MacroSystem::macrosFromStringList(MacroSystem::stringListFromString(tableText, false));
    const QMap<QString, QString> back = MacroSystem::macrosFromStringList(
        MacroSystem::stringListFromString(
            MacroSystem::stringFromStringList(MacroSystem::stringListFromMacros(table)), false));
    (void)back;

    const QString expanded = macroSystem.replaceMacros(table, text);
    // Text without a reference is returned untouched.
    if (!text.contains(QLatin1String("$(")) && expanded != text)
        __builtin_trap();
    return 0;
}
