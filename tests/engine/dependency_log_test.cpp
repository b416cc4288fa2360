#include "engine/dependency_log.h"

#include "engine_harness.h"

#include <optional>

namespace {

const FileIdentity kObject{1765012345123456789, 1765012345123456790, 2048};

DependencyLog::Entries someEntries()
{
    DependencyLog::Entries entries;
    entries.emplace("main.o", DependencyLog::Entry{
                                  kObject, "/p", {"/p/main.c", "/p/inc/a b.h", "/usr/x.h"}});
    entries.emplace("util.o", DependencyLog::Entry{{1, 2, 3}, "/p", {"/p/util.c", "/p/inc/a b.h"}});
    entries.emplace("other dir.o", DependencyLog::Entry{{4, 5, 0}, "/q r", {"/q r/other.c"}});
    return entries;
}

void expectSame(const DependencyLog::Entries &a, const DependencyLog::Entries &b)
{
    ASSERT_EQ(a.size(), b.size());
    for (const auto &[object, entry] : a) {
        SCOPED_TRACE(object.toStdString());
        const auto other = b.find(object);
        ASSERT_TRUE(other != b.end());
        EXPECT_TRUE(entry.identity == other->second.identity);
        EXPECT_EQ(entry.dir, other->second.dir);
        EXPECT_EQ(entry.dependencies, other->second.dependencies);
    }
}

// A temporary directory with an empty Debug directory for the log.
class DependencyLogFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        debug = m_dir.path() + "/Debug";
        ASSERT_TRUE(QDir().mkpath(debug));
    }

    QString debug;

private:
    QTemporaryDir m_dir;
};

} // namespace

TEST(DependencyLog, FormatAndParseRoundTripWithTheRecords)
{
    const DependencyLog::Entries entries = someEntries();
    const QByteArray text = DependencyLog::format(entries);
    // Each path is written once however many objects name it.
    EXPECT_EQ(text.count("p /p/inc/a b.h\n"), 1);
    expectSame(DependencyLog::parse(text), entries);

    const DependencyLog::Records records{{"main.o", {0x9e3779b97f4a7c15ULL, false}},
                                         {"app.elf", {0, true}},
                                         {"low bits.o", {1, false}}};
    DependencyLog::Records parsed;
    expectSame(DependencyLog::parse(DependencyLog::format(entries, records), &parsed), entries);
    EXPECT_TRUE(parsed == records);
}

// A log that is damaged in any way is no log at all: the ".d" files are read instead.
TEST(DependencyLog, AnythingButAWellFormedLogGivesNoEntries)
{
    const QByteArray good = "kestrel dependency log 1\np /p\np /p/a.c\no 1 2 3 0 a.o\nd 1\n";
    ASSERT_EQ(DependencyLog::parse(good).size(), 1);
    const QByteArray bad[] = {
        "",
        "kestrel dependency log 3\np /p\np /p/a.c\no 1 2 3 0 a.o\nd 1\n",
        "kestrel dependency log 2\ns 9e3779b97f4a7c1 a.o\n", // 15 digits
        "kestrel dependency log 2\ns 9e3779b97f4a7c1X a.o\n",
        "kestrel dependency log 2\ns 9e3779b97f4a7c15\n", // no output name
        "kestrel dependency log 2\nf\n",
        "kestrel dependency log 2\np /p\no 1 2 3 0 a.o\nf a.o\nd 0\n",    // inside an object
        "kestrel dependency log 1\np /p\np /p/a.c\no 1 2 3 0 a.o\nd 1",   // no final line end
        "kestrel dependency log 1\np /p\np /p/a.c\no 1 2 3 0 a.o\nd 2\n", // index past the table
        "kestrel dependency log 1\np /p\np /p/a.c\no 1 2 3 5 a.o\nd 1\n", // directory past it
        "kestrel dependency log 1\np /p\no 1 2 3 0 a.o\n",                // object without "d"
        "kestrel dependency log 1\np /p\nd 0\n",                          // "d" without object
        "kestrel dependency log 1\np /p\no 1 2 3 0 a.o\nd\n",             // no dependencies
        "kestrel dependency log 1\np /p\no 1 2 0 a.o\nd 0\n",             // a number missing
        "kestrel dependency log 1\np /p\no 1 2 3 0\nd 0\n",               // no object name
        "kestrel dependency log 1\np /p\no 1 x 3 0 a.o\nd 0\n",
        "kestrel dependency log 1\np /p\no 99999999999999999999 2 3 0 a.o\nd 0\n",
        "kestrel dependency log 1\np /p\no 1 2 3 0 a.o\nd 0 -1\n",
        "kestrel dependency log 1\nx /p\n",
        "kestrel dependency log 1\np/p\n",
    };
    for (const QByteArray &text : bad) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_TRUE(DependencyLog::parse(text).empty());
    }
}

// What a later build finds for an output after what this one did to it.
TEST_F(DependencyLogFile, AStepLeavesItsSignatureItsFailureOrWhatWasThere)
{
    struct Case
    {
        const char *steps;
        std::optional<DependencyLog::Record> expected;
    };
    const DependencyLog::Record before{7, false};
    const Case cases[] = {
        {"start succeed", DependencyLog::Record{42, false}},
        {"start", DependencyLog::Record{0, true}}, // failed: never settled
        {"start abandon", before},                 // interrupted or shown
        {"start succeed start abandon", DependencyLog::Record{42, false}},
        {"start start succeed", DependencyLog::Record{42, false}},
        {"forget", std::nullopt}, // cleaned
        {"start forget abandon", std::nullopt},
        {"succeed", before}, // no step was started
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.steps);
        QFile::remove(debug + "/" + DependencyLog::kFileName);
        const QString output = debug + "/app.elf";
        {
            DependencyLog log;
            log.startStep(output);
            log.stepSucceeded(output, before.signature);
            log.save();
        }
        {
            DependencyLog log;
            for (const QString &step : QString(c.steps).split(u' ')) {
                if (step == u"start")
                    log.startStep(output);
                else if (step == u"succeed")
                    log.stepSucceeded(output, 42);
                else if (step == u"abandon")
                    log.abandonSteps();
                else
                    log.forget(output);
            }
            log.save();
        }
        DependencyLog later;
        const DependencyLog::Record *record = later.record(output);
        ASSERT_EQ(record != nullptr, c.expected.has_value());
        if (record) {
            EXPECT_TRUE(*record == *c.expected);
        }
    }
}

TEST_F(DependencyLogFile, FindsOnlyTheObjectAsItWasWithTheSameDirectory)
{
    const QString object = debug + "/main.o";
    const QStringList dependencies{"/p/main.c", "/p/main.h"};
    {
        DependencyLog log;
        QStringList found;
        EXPECT_FALSE(log.find(object, "/p", kObject, found));
        log.record(object, "/p", kObject, dependencies);
        log.record(debug + "/none.o", "/p", kObject, {}); // nothing to log
        log.record(debug + "/gone.o", "/p", FileIdentity(), dependencies);
        log.save();
    }
    EXPECT_EQ(QDir(debug).entryList(QDir::Files | QDir::Hidden),
              QStringList{DependencyLog::kFileName});

    DependencyLog log; // a later run
    QStringList found;
    EXPECT_TRUE(log.find(object, "/p", kObject, found));
    EXPECT_EQ(found, dependencies);
    for (const FileIdentity &changed :
         {FileIdentity{kObject.modifiedNs + 1, kObject.changedNs, kObject.size},
          FileIdentity{kObject.modifiedNs, kObject.changedNs + 1, kObject.size},
          FileIdentity{kObject.modifiedNs, kObject.changedNs, kObject.size + 1}, FileIdentity()})
        EXPECT_FALSE(log.find(object, "/p", changed, found));
    EXPECT_FALSE(log.find(object, "/elsewhere", kObject, found));
    EXPECT_FALSE(log.find(debug + "/none.o", "/p", kObject, found));
    EXPECT_FALSE(log.find(debug + "/gone.o", "/p", FileIdentity(), found));
}

// A directory in the log's place: the write goes to a temporary file, the rename over the
// directory fails, and the temporary file must not be left behind.
TEST_F(DependencyLogFile, ALogThatCannotBeWrittenLeavesNothingBehind)
{
    ASSERT_TRUE(QDir().mkpath(debug + "/" + DependencyLog::kFileName));
    DependencyLog log;
    log.record(debug + "/main.o", "/p", kObject, {"/p/main.c"});
    log.save();
    EXPECT_EQ(QDir(debug).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{DependencyLog::kFileName});
    EXPECT_TRUE(QFileInfo(debug + "/" + DependencyLog::kFileName).isDir());
}

// The engine logs an object's ".d" file as soon as the object is compiled, and reads it again
// only for an object the log does not know as it is.
TEST_F(EngineTest, AnUnchangedObjectIsJudgedByTheLogAndARecompiledOneByItsDotDFile)
{
    source("main.c", "#include \"a.h\"\n");
    source("a.h");
    source("b.h");
    loadProjects(app());
    ASSERT_EQ(build(), 1);
    // Logged by the build that compiled it: no build in between has read main.d, and while
    // the object stays as it is, the log answers, even with its ".d" file gone.
    ASSERT_TRUE(QFile::remove(root + "/Debug/main.d"));
    touch("a.h");
    EXPECT_EQ(build(), 1);
    EXPECT_EQ(made(), (QStringList{"Debug/main.o", "Debug/app.elf"}));

    // Recompiled to include another header: the new ".d" file is read, so that header counts.
    source("main.c", "#include \"b.h\"\n");
    touch("main.c");
    EXPECT_EQ(build(), 1);
    EXPECT_EQ(build(), 0);
    touch("b.h");
    EXPECT_EQ(build(), 1);
    EXPECT_EQ(made(), (QStringList{"Debug/main.o", "Debug/app.elf"}));
    touch("a.h");
    EXPECT_EQ(build(), 0);
}
