#include "driver/memory_usage_report.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>

namespace {

constexpr int kBarWidth = 20;
const QString kPrefix = QStringLiteral("memory usage: ");

QJsonObject segmentJson(const SegmentUsage &segment)
{
    return {{"name", segment.name},
            {"start", double(segment.start)},
            {"size", double(segment.size)},
            {"used", double(segment.used)},
            {"sections", QJsonArray::fromStringList(segment.sections)}};
}

QString bar(quint64 used, quint64 size)
{
    const int filled =
        int(std::min<quint64>(kBarWidth, (used * kBarWidth * 2 + size) / (size * 2)));
    return u'[' + QString(filled, u'#') + QString(kBarWidth - filled, u'.') + u']';
}

} // namespace

QString MemoryUsageReport::grouped(quint64 number)
{
    QString digits = QString::number(number);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, u',');
    return digits;
}

QString MemoryUsageReport::line(const SegmentUsage &segment, int nameWidth)
{
    const double percent = 100.0 * double(segment.used) / double(segment.size);
    QString text = segment.name.leftJustified(nameWidth) + QStringLiteral("  ") +
                   bar(segment.used, segment.size) +
                   QString::number(percent, 'f', 1).rightJustified(6) + QStringLiteral("%  ") +
                   grouped(segment.used) + QStringLiteral(" of ") + grouped(segment.size) +
                   QStringLiteral(" bytes");
    if (segment.used > segment.size)
        text += QStringLiteral("  OVERFLOW by ") + grouped(segment.used - segment.size) +
                QStringLiteral(" bytes");
    return text;
}

QStringList MemoryUsageReport::add(const QString &project, const QString &config,
                                   const QString &elfFile, const QString &linkerScript)
{
    if (linkerScript.isEmpty())
        return {kPrefix + QStringLiteral("no linker script for \"") + elfFile + u'"'};
    QFile script(linkerScript);
    if (!script.open(QIODevice::ReadOnly))
        return {kPrefix + QStringLiteral("cannot read linker script \"") + linkerScript + u'"'};
    QList<MemoryRegion> regions = linkerScriptRegions(QString::fromUtf8(script.readAll()));
    regions.removeIf([](const MemoryRegion &region) { return region.length == 0; });
    QList<SegmentUsage> segments;
    QString error;
    if (!elfMemoryUsage(elfFile, regions, &segments, &error))
        return {kPrefix + error};

    int width = 0;
    for (const SegmentUsage &segment : std::as_const(segments))
        width = std::max(width, int(segment.name.size()));
    QStringList lines;
    QJsonArray segmentsJson;
    for (const SegmentUsage &segment : std::as_const(segments)) {
        lines.append(line(segment, width));
        segmentsJson.append(segmentJson(segment));
    }
    m_links.append(QJsonObject{{"project", project},
                               {"configuration", config},
                               {"output", elfFile},
                               {"script", linkerScript},
                               {"segments", segmentsJson}});
    return lines;
}

bool MemoryUsageReport::write(const QString &file, QString *error) const
{
    const QByteArray text =
        QJsonDocument(QJsonObject{{"links", m_links}}).toJson(QJsonDocument::Indented);
    QSaveFile out(file);
    if (out.open(QIODevice::WriteOnly) && out.write(text) == text.size() && out.commit())
        return true;
    *error = QStringLiteral("cannot write memory usage file \"") + file + QStringLiteral("\": ") +
             out.errorString();
    return false;
}
