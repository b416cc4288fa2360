// Cortex-M3 firmware in C and C++, and a library project linked into an executable, built
// with the installation's tool chain and run on the emulated LM3S6965; with -trace, a trace
// event file with one event per step that ran, on the lane of the job slot that ran it, beside
// kestrel's own phases.
#include "e2e.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>

#include <algorithm>
#include <set>

namespace {

const QString kOwn = QStringLiteral("kestrel");

// The complete events of a trace file; empty when it does not parse.
QList<QJsonObject> completeEvents(const QString &file)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(readTextFile(file).toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << qPrintable(error.errorString());
    QList<QJsonObject> events;
    for (const QJsonValue &value : document.object().value("traceEvents").toArray())
        if (value.toObject().value("ph").toString() == u"X")
            events.append(value.toObject());
    return events;
}

QList<QJsonObject> stepEvents(const QList<QJsonObject> &events)
{
    QList<QJsonObject> steps;
    for (const QJsonObject &event : events)
        if (event.value("cat").toString() != kOwn)
            steps.append(event);
    return steps;
}

// "project: step" for each step line of the console, under the project announced before it.
QStringList consoleSteps(const QString &out)
{
    QStringList found;
    QString project;
    for (const QString &line : out.split(u'\n')) {
        const QString text = line.trimmed();
        if (text.startsWith(QLatin1String("Building \"")))
            project = text.section(u'"', 1, 1);
        else if (steps(text).size() == 1 && !text.startsWith(QLatin1String("Generating")))
            found.append(project + QStringLiteral(": ") + text);
    }
    found.sort();
    return found;
}

QStringList traceSteps(const QList<QJsonObject> &events)
{
    QStringList found;
    for (const QJsonObject &event : events)
        found.append(event.value("cat").toString() + QStringLiteral(": ") +
                     event.value("name").toString());
    found.sort();
    return found;
}

// Each lane's events, by start; the next may begin only where the last ended.
void expectNoOverlapOnALane(const QList<QJsonObject> &events)
{
    QMap<int, QList<QPair<qint64, qint64>>> lanes;
    for (const QJsonObject &event : events) {
        const qint64 start = qint64(event.value("ts").toDouble());
        const qint64 duration = qint64(event.value("dur").toDouble());
        EXPECT_GE(duration, 0);
        lanes[event.value("tid").toInt()].append({start, start + duration});
    }
    for (auto lane = lanes.begin(); lane != lanes.end(); ++lane) {
        std::sort(lane->begin(), lane->end());
        for (qsizetype i = 1; i < lane->size(); ++i)
            EXPECT_GE((*lane)[i].first, (*lane)[i - 1].second) << "lane " << lane.key();
    }
}

class BuildTrace : public WorkDir
{
protected:
    void SetUp() override
    {
        WorkDir::SetUp();
        ASSERT_TRUE(copy("arm_cortex_m3"));
    }

    RunResult build(const QStringList &args, const QString &trace)
    {
        return kestrel(args + QStringList{"-config", "Debug", "-trace", trace, "firmware.zav"});
    }
};

TEST_F(BuildTrace, FirmwareRunsAndATracedParallelBuildShowsEachStepOnItsJobLane)
{
    const RunResult built = build({"-j", "2"}, QStringLiteral("build.json"));
    ASSERT_EQ(built.status, 0) << qPrintable(built.out) << qPrintable(built.err);
    EXPECT_EQ(steps(built.out),
              (QStringList{"Compiling main.c", "Compiling startup.c", "Linking hello.elf",
                           "Compiling shapes.cpp", "Compiling startup.c", "Linking shapes.elf",
                           "Compiling gcd.c", "Compiling power.c", "Archiving mathlib.a",
                           "Compiling main.c", "Compiling startup.c", "Linking calc.elf"}));
    const QList<QJsonObject> events = completeEvents(at("build.json"));
    const QList<QJsonObject> steps = stepEvents(events);
    EXPECT_EQ(traceSteps(steps), consoleSteps(built.out));
    std::set<int> lanes;
    for (const QJsonObject &step : steps)
        lanes.insert(step.value("tid").toInt());
    EXPECT_EQ(lanes, (std::set<int>{1, 2}));
    expectNoOverlapOnALane(events);
    QStringList phases;
    for (const QJsonObject &event : events)
        if (event.value("cat").toString() == kOwn)
            phases.append(event.value("name").toString().section(u' ', 0, 0));
    EXPECT_TRUE(phases.contains(QStringLiteral("Loading"))) << qPrintable(phases.join(u','));
    EXPECT_TRUE(phases.contains(QStringLiteral("Resolving"))) << qPrintable(phases.join(u','));
    EXPECT_TRUE(phases.contains(QStringLiteral("Checking"))) << qPrintable(phases.join(u','));

    const RunResult again = build({"-j", "2"}, QStringLiteral("again.json"));
    ASSERT_EQ(again.status, 0) << qPrintable(again.out);
    const QList<QJsonObject> noOp = completeEvents(at("again.json"));
    EXPECT_FALSE(noOp.isEmpty());
    EXPECT_TRUE(stepEvents(noOp).isEmpty());

    if (!haveQemu())
        GTEST_SKIP() << "qemu-system-arm is not installed";
    struct Case
    {
        const char *elf;
        const char *output;
    };
    const Case cases[] = {
        {"Debug/hello.elf", "hello from the Cortex-M3: 42\n"},
        {"Debug/shapes.elf", "square: 49\nrectangle: 15\ntotal: 64\n"},
        {"Debug/calc.elf", "gcd(84, 36) = 12\n3^5 = 243\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.elf);
        const RunResult run = runOnLM3S6965(QLatin1String(c.elf), dir);
        EXPECT_EQ(run.status, 0) << qPrintable(run.err);
        EXPECT_EQ(run.out, QLatin1String(c.output));
    }
}

TEST_F(BuildTrace, FailedBuildWritesTheTraceWithTheFailedStepMarked)
{
    ASSERT_TRUE(writeTextFile(at("calc/main.c"), "int main(void) { return }\n"));
    const RunResult failed = build({}, QStringLiteral("failed.json"));
    ASSERT_EQ(failed.status, 1) << qPrintable(failed.out);
    const QList<QJsonObject> steps =
        stepEvents(completeEvents(at("failed.json")));
    EXPECT_EQ(traceSteps(steps), consoleSteps(failed.out));
    QStringList marked;
    for (const QJsonObject &step : steps) {
        EXPECT_EQ(step.value("tid").toInt(), 1);
        if (step.value("args").toObject().value("failed").toBool())
            marked.append(step.value("cat").toString() + u'/' + step.value("name").toString());
    }
    EXPECT_EQ(marked, QStringList{QStringLiteral("calc/Compiling main.c")});
}

} // namespace
