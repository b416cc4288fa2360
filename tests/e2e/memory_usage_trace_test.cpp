// Cortex-M3 firmware in C and C++, and a library project linked into an executable, built
// with the installation's tool chain and run on the emulated LM3S6965; with -trace, a trace
// event file with one event per step that ran, on the lane of the job slot that ran it, beside
// kestrel's own phases. -memory-usage and -memory-usage-json on real firmware: the figures
// must be what the section table of the tool chain's objdump says, run and load images both.
#include "e2e.h"

#include <QLocale>

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

TEST_F(BuildTrace, FirmwareRunsAndEachStepIsTracedOnItsJobLaneTheFailedOneMarked)
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
    for (const char *phase : {"Loading", "Resolving", "Checking"})
        EXPECT_TRUE(phases.contains(QLatin1String(phase))) << qPrintable(phases.join(u','));

    const RunResult again = build({"-j", "2"}, QStringLiteral("again.json"));
    ASSERT_EQ(again.status, 0) << qPrintable(again.out);
    const QList<QJsonObject> noOp = completeEvents(at("again.json"));
    EXPECT_FALSE(noOp.isEmpty());
    EXPECT_TRUE(stepEvents(noOp).isEmpty());

    for (const auto &[elf, output] :
         {std::pair{"Debug/hello.elf", "hello from the Cortex-M3: 42\n"},
          {"Debug/shapes.elf", "square: 49\nrectangle: 15\ntotal: 64\n"},
          {"Debug/calc.elf", "gcd(84, 36) = 12\n3^5 = 243\n"}}) {
        if (!haveQemu())
            break;
        SCOPED_TRACE(elf);
        const RunResult run = runOnLM3S6965(QLatin1String(elf), dir);
        EXPECT_EQ(run.status, 0) << qPrintable(run.err);
        EXPECT_EQ(run.out, QLatin1String(output));
    }

    // A serial build that fails writes its trace too, on one lane, with the failed step marked
    // and the ones that succeeded before it not.
    ASSERT_TRUE(setFileTime(at("hello/main.c"), QDateTime::currentSecsSinceEpoch() + 1000));
    ASSERT_TRUE(writeTextFile(at("calc/main.c"), "int main(void) { return }\n"));
    const RunResult failed = build({}, QStringLiteral("failed.json"));
    ASSERT_EQ(failed.status, 1) << qPrintable(failed.out);
    const QList<QJsonObject> failedSteps = stepEvents(completeEvents(at("failed.json")));
    EXPECT_EQ(traceSteps(failedSteps), consoleSteps(failed.out));
    EXPECT_EQ(failedSteps.size(), 3) << qPrintable(failed.out);
    QStringList marked;
    for (const QJsonObject &step : failedSteps) {
        EXPECT_EQ(step.value("tid").toInt(), 1);
        if (step.value("args").toObject().value("failed").toBool())
            marked.append(step.value("cat").toString() + u'/' + step.value("name").toString());
    }
    EXPECT_EQ(marked, QStringList{QStringLiteral("calc/Compiling main.c")});
}

struct Region
{
    const char *name;
    quint64 start;
    quint64 size;
};

struct Case
{
    const char *source;  // a fixture, or "examples" for the installation's example
    const char *project; // the project whose link is measured
    const char *zav;
    const char *elf;
    std::vector<Region> regions; // as the project's memory map or linker script declares them
};

const Case kCases[] = {
    // A linker script generated from the board's memory map; .fast code runs in RAM and is
    // stored in FLASH.
    {"examples", "hello", "hello.zav", "hello/Debug/hello.elf",
     {{"FLASH", 0, 0x40000}, {"SRAM", 0x20000000, 0x10000}}},
    // C++ with the project's own linker script.
    {"arm_cortex_m3", "shapes", "firmware.zav", "Debug/shapes.elf",
     {{"FLASH", 0, 0x40000}, {"SRAM", 0x20000000, 0x10000}}},
    // ARM7 with its own linker script.
    {"arm_arm7tdmi", "blinky", "arm7.zav", "Debug/blinky.elf",
     {{"FLASH", 0, 0x40000}, {"SRAM", 0x200000, 0x10000}}},
};

struct Section
{
    QString name;
    bool loaded = false; // has an image to load, at `loadAddress`
    quint64 address = 0;
    quint64 loadAddress = 0;
    quint64 size = 0;
};

// The allocated sections as `objdump -h` prints them: a line with the name, size, run and load
// address, then one with the flags.
std::vector<Section> readSections(const QString &text)
{
    static const QRegularExpression line(
        QStringLiteral("^\\s*\\d+ (\\S+)\\s+([0-9a-f]+)\\s+([0-9a-f]+)\\s+([0-9a-f]+)\\s+[0-9a-f]+"
                       "\\s+2\\*\\*\\d+\\s*\\n\\s*(.*)$"),
        QRegularExpression::MultilineOption);
    std::vector<Section> sections;
    for (auto it = line.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const quint64 size = m.captured(2).toULongLong(nullptr, 16);
        if (m.captured(5).contains(u"ALLOC") && size != 0)
            sections.push_back({m.captured(1), m.captured(5).contains(u"LOAD"),
                                m.captured(3).toULongLong(nullptr, 16),
                                m.captured(4).toULongLong(nullptr, 16), size});
    }
    return sections;
}

// Marks every byte of the region that a section's run or load image covers, and counts them.
quint64 usedBytes(const Region &region, const std::vector<Section> &sections)
{
    std::vector<bool> covered(region.size);
    auto mark = [&](quint64 from, quint64 size) {
        for (quint64 a = from; a < from + size; ++a)
            if (a >= region.start && a < region.start + region.size)
                covered[a - region.start] = true;
    };
    for (const Section &section : sections) {
        mark(section.address, section.size);
        if (section.loaded)
            mark(section.loadAddress, section.size);
    }
    return quint64(std::count(covered.begin(), covered.end(), true));
}

// The report's lines on the console, by region name: "<used> of <size>".
QMap<QString, QString> consoleFigures(const QString &out)
{
    static const QRegularExpression line(
        QStringLiteral("^    (\\S+) +\\[[#.]{20}\\] +\\d+\\.\\d%  ([\\d,]+ of [\\d,]+) bytes$"));
    QMap<QString, QString> figures;
    for (const QString &text : out.split(u'\n'))
        if (const QRegularExpressionMatch m = line.match(text); m.hasMatch())
            figures.insert(m.captured(1), m.captured(2));
    return figures;
}

using MemoryUsage = WorkDirWith<Case>;

TEST_P(MemoryUsage, FiguresAreTheBytesObjdumpShowsInEachRegion)
{
    if (!have("arm-none-eabi-objdump"))
        GTEST_SKIP() << "arm-none-eabi-objdump is not installed";
    const Case &c = GetParam();
    ASSERT_TRUE(copy(c.source));
    const QStringList args{"-config",       "Debug", "-project", c.project, "-memory-usage",
                           "-memory-usage-json", "usage.json", c.zav};
    const RunResult built = kestrel(args);
    ASSERT_EQ(built.status, 0) << qPrintable(built.out) << qPrintable(built.err);

    const std::vector<Section> sections =
        readSections(runProgram("arm-none-eabi-objdump", {"-h", c.elf}, dir).out);
    ASSERT_FALSE(sections.empty());
    const QJsonObject usage = QJsonDocument::fromJson(readTextFile(at("usage.json")).toUtf8()).object();
    const QJsonArray links = usage.value("links").toArray();
    ASSERT_EQ(links.size(), 1);
    const QJsonObject link = links.first().toObject();
    EXPECT_EQ(link.value("project").toString(), QLatin1String(c.project));
    EXPECT_TRUE(link.value("output").toString().endsWith(QLatin1String(c.elf)));
    const QJsonArray segments = link.value("segments").toArray();
    ASSERT_EQ(segments.size(), qsizetype(c.regions.size()));

    QMap<QString, QString> expectedConsole;
    for (qsizetype i = 0; i < segments.size(); ++i) {
        const Region &region = c.regions[size_t(i)];
        const QJsonObject segment = segments[i].toObject();
        SCOPED_TRACE(region.name);
        EXPECT_EQ(segment.value("name").toString(), QLatin1String(region.name));
        EXPECT_EQ(quint64(segment.value("start").toDouble()), region.start);
        EXPECT_EQ(quint64(segment.value("size").toDouble()), region.size);
        const quint64 used = usedBytes(region, sections);
        EXPECT_GT(used, 0u);
        EXPECT_EQ(quint64(segment.value("used").toDouble()), used);
        QStringList inRegion;
        for (const Section &section : sections)
            if (section.address >= region.start && section.address < region.start + region.size)
                inRegion.append(section.name);
        const QJsonArray listed = segment.value("sections").toArray();
        for (const QString &name : std::as_const(inRegion))
            EXPECT_TRUE(listed.contains(name)) << qPrintable(name);
        expectedConsole.insert(QLatin1String(region.name),
                               QLocale(QLocale::English).toString(used) + QStringLiteral(" of ") +
                                   QLocale(QLocale::English).toString(region.size));
    }
    EXPECT_EQ(consoleFigures(built.out), expectedConsole) << qPrintable(built.out);

    // A link found up to date reports the same; without the option nothing is said.
    const RunResult again = kestrel(args);
    ASSERT_EQ(again.status, 0) << qPrintable(again.out);
    EXPECT_TRUE(steps(again.out).isEmpty()) << qPrintable(again.out);
    EXPECT_EQ(consoleFigures(again.out), expectedConsole) << qPrintable(again.out);
    const RunResult plain = kestrel({"-config", "Debug", "-project", c.project, c.zav});
    EXPECT_TRUE(consoleFigures(plain.out).isEmpty()) << qPrintable(plain.out);
}

INSTANTIATE_TEST_SUITE_P(Firmware, MemoryUsage, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case> &param) {
                             return std::string(param.param.project);
                         });

} // namespace
