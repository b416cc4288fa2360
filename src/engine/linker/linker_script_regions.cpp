#include "engine/linker/linker_script_regions.h"

#include <QRegularExpression>

#include <optional>

namespace {

QString withoutComments(const QString &text)
{
    static const QRegularExpression comment(QStringLiteral("/\\*.*?\\*/"),
                                            QRegularExpression::DotMatchesEverythingOption);
    QString result = text;
    return result.replace(comment, QStringLiteral(" "));
}

// The text between the braces of the MEMORY command; null when there is none.
QString memoryBlock(const QString &script)
{
    static const QRegularExpression start(QStringLiteral("\\bMEMORY\\s*\\{"));
    const QRegularExpressionMatch match = start.match(script);
    if (!match.hasMatch())
        return QString();
    const qsizetype from = match.capturedEnd();
    const qsizetype to = script.indexOf(u'}', from);
    return to < 0 ? QString() : script.mid(from, to - from);
}

// ld's number syntax: 0x.., a leading 0 for octal, else decimal; K multiplies by 1024, M by
// 1024 * 1024.
std::optional<quint64> number(QString text)
{
    text = text.trimmed();
    quint64 factor = 1;
    if (text.endsWith(u'K', Qt::CaseInsensitive))
        factor = 1024;
    else if (text.endsWith(u'M', Qt::CaseInsensitive))
        factor = 1024 * 1024;
    if (factor != 1)
        text.chop(1);
    bool ok = false;
    const quint64 value = text.toULongLong(&ok, 0);
    if (!ok)
        return std::nullopt;
    return value * factor;
}

} // namespace

QList<MemoryRegion> linkerScriptRegions(const QString &scriptText)
{
    // name [(attributes)] : ORIGIN|org|o = value , LENGTH|len|l = value
    static const QRegularExpression region(
        QStringLiteral("([A-Za-z_.$][\\w.$-]*)\\s*(?:\\([^)]*\\))?\\s*:\\s*(?:ORIGIN|org|o)\\s*="
                       "\\s*([^,]+?)\\s*,\\s*(?:LENGTH|len|l)\\s*=\\s*([^\\s,]+)"));
    QList<MemoryRegion> regions;
    const QString block = memoryBlock(withoutComments(scriptText));
    for (const QRegularExpressionMatch &match : region.globalMatch(block)) {
        const std::optional<quint64> origin = number(match.captured(2));
        const std::optional<quint64> length = number(match.captured(3));
        if (origin && length)
            regions.append({match.captured(1), *origin, *length});
    }
    return regions;
}
