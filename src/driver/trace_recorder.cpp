#include "driver/trace_recorder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <chrono>
#include <set>

namespace {

const QString kOwnCategory = QStringLiteral("kestrel");
constexpr int kProcess = 1;

QJsonObject laneName(int lane)
{
    const QString name =
        lane == TraceRecorder::kOwnLane ? kOwnCategory : QStringLiteral("job %1").arg(lane);
    return {{"name", "thread_name"},
            {"ph", "M"},
            {"pid", kProcess},
            {"tid", lane},
            {"args", QJsonObject{{"name", name}}}};
}

QJsonObject completeEvent(const TraceRecorder::Event &event)
{
    QJsonObject object{{"name", event.name}, {"cat", event.category},          {"ph", "X"},
                       {"ts", event.start},  {"dur", event.end - event.start}, {"pid", kProcess},
                       {"tid", event.lane}};
    if (event.failed)
        object.insert("args", QJsonObject{{"failed", true}});
    return object;
}

} // namespace

qint64 TraceRecorder::now()
{
    using Clock = std::chrono::steady_clock;
    static const Clock::time_point origin = Clock::now();
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - origin).count();
}

void TraceRecorder::beginPhase(const QString &name)
{
    m_open.push_back({name, kOwnCategory, kOwnLane, now(), 0, false});
}

void TraceRecorder::endPhase()
{
    if (m_open.empty())
        return;
    Event event = m_open.back();
    m_open.pop_back();
    event.end = now();
    record(event);
}

QByteArray TraceRecorder::json() const
{
    QJsonArray complete;
    std::set<int> lanes{kOwnLane};
    for (const Event &event : m_events) {
        complete.append(completeEvent(event));
        lanes.insert(event.lane);
    }
    // An interrupted or failed build leaves phases open: they end where the trace does.
    const qint64 end = now();
    for (auto open = m_open.rbegin(); open != m_open.rend(); ++open) {
        Event event = *open;
        event.end = end;
        complete.append(completeEvent(event));
    }
    QJsonArray events{QJsonObject{{"name", "process_name"},
                                  {"ph", "M"},
                                  {"pid", kProcess},
                                  {"args", QJsonObject{{"name", kOwnCategory}}}}};
    for (const int lane : lanes)
        events.append(laneName(lane));
    for (const QJsonValue &event : std::as_const(complete))
        events.append(event);
    return QJsonDocument(QJsonObject{{"traceEvents", events}, {"displayTimeUnit", "ms"}})
        .toJson(QJsonDocument::Compact);
}

bool TraceRecorder::write(const QString &file, QString *error) const
{
    const QByteArray text = json();
    QSaveFile out(file);
    if (out.open(QIODevice::WriteOnly) && out.write(text) == text.size() && out.commit())
        return true;
    *error = QStringLiteral("cannot write trace file \"") + file + QStringLiteral("\": ") +
             out.errorString();
    return false;
}
