// TraceRecorder: what a build spent its time on, as a trace event file for -trace.
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// Collects complete events and writes them in the trace event format that Perfetto's UI and
// chrome://tracing open. Lane 0 holds kestrel's own phases (loading, resolving, up-to-date
// checks, linker script generation); the build steps run by job slot n go on lane n + 1, so a
// build with -j N shows N lanes of steps. Only the thread that owns the recorder records;
// worker threads only read the clock.
class TraceRecorder
{
public:
    static constexpr int kOwnLane = 0;

    struct Event
    {
        QString name;
        QString category;
        int lane = kOwnLane;
        qint64 start = 0; // microseconds, see now()
        qint64 end = 0;
        bool failed = false;
    };

    // Microseconds on a steady clock since the first call in the process.
    static qint64 now();

    void record(const Event &event) { m_events.push_back(event); }
    // kestrel's own phases, on lane 0; a phase may enclose another.
    void beginPhase(const QString &name);
    void endPhase();
    const std::vector<Event> &events() const { return m_events; }

    // {"traceEvents": [...]}: the events in the order recorded, phases still open ending now,
    // and a name for each lane.
    QByteArray json() const;
    // Writes json() to `file` through a temporary file renamed into place, so that the file is
    // either the whole trace or what it was before; false with the reason in `*error`.
    [[nodiscard]] bool write(const QString &file, QString *error) const;

private:
    std::vector<Event> m_events;
    std::vector<Event> m_open; // phases begun and not ended, innermost last
};
