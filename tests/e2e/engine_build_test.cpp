// The build engine driven through kestrel on real solutions, with a tool chain of small
// scripts that log each run and write the files a real one would (objects, archives, the
// executable, dependency files naming the headers a source includes).
#include "e2e.h"

namespace {

// One script for every pass; it acts on its own name, and logs it with the file name of what it
// makes (the compiler's by its source: its output is a temporary assembly file). A source
// containing "#error" fails, and so does a link (leaving a partial output, as ld does) in a
// directory with a file named "undefined_symbol".
const char kFakeTool[] = R"sh(#!/bin/sh
tool=$(basename "$0")
out= dep= target= map= src= prev= last=
for a in "$@"; do
    case "$prev" in
    -o) out=$a; src=$last ;;
    -MD) dep=$a ;;
    -MQ) target=$a ;;
    -Map) map=$a ;;
    esac
    prev=$a
    [ "$a" = "-o" ] || last=$a
done
case "$tool" in cc1*) made=$src ;; ar) made=$2 ;; *) made=$out ;; esac
echo "$tool ${made##*/}" >> "$KESTREL_FAKE_LOG"
case "$tool" in
cc1|cc1plus)
    if grep -q '#error' "$src"; then echo "$src:1: error: #error" >&2; exit 1; fi
    if [ -n "$dep" ]; then
        d=$(dirname "$src")
        headers=$(sed -n 's/^#include "\(.*\)".*/\1/p' "$src" | while read -r h; do printf ' \\\n %s/%s' "$d" "$h"; done)
        printf '%s: %s%s\n' "$target" "$src" "$headers" > "$dep"
    fi
    echo asm > "$out" ;;
ar) echo archive > "$2" ;;
objcopy) for a; do out=$a; done; echo converted > "$out" ;;
ld) echo object > "$out"
    if [ -e undefined_symbol ]; then echo "undefined reference to 'missing'" >&2; exit 1; fi
    [ -z "$map" ] || echo map > "$map" ;;
*) echo object > "$out"; [ -z "$map" ] || echo map > "$map" ;;
esac
)sh";

class EngineBuild : public WorkDir
{
protected:
    void SetUp() override
    {
        WorkDir::SetUp();
        work = at("work");
        log = at("tools.log");
        useTools(at("tools"));
        base = QDateTime::currentSecsSinceEpoch() - 100000;
    }

    // Puts the scripts in `directory` and makes it the tool chain root.
    void useTools(const QString &directory)
    {
        for (const char *name : {"cc1", "cc1plus", "as", "ld", "ar", "objcopy"})
            ASSERT_TRUE(writeScript(directory + u'/' + name, kFakeTool));
        ASSERT_TRUE(useToolChainRoot(at("user"), directory));
    }

    void edit(const QString &file, const QString &from, const QString &to)
    {
        const QString text = readTextFile(work + u'/' + file);
        ASSERT_TRUE(text.contains(from)) << from.toStdString();
        ASSERT_TRUE(writeTextFile(work + u'/' + file, QString(text).replace(from, to)));
    }

    // Copies a fixture and makes every file in it old, so that whatever the tools write is
    // newer and the test decides what is touched.
    void fixture(const QString &name)
    {
        ASSERT_TRUE(copy(name, "work"));
        QDirIterator it(work, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            ASSERT_TRUE(setFileTime(it.next(), base));
    }

    RunResult build(const QStringList &args)
    {
        QFile::remove(log);
        return kestrel(args, {"KESTREL_FAKE_LOG=" + log}, work);
    }

    // The passes run, as "tool file-name-of-what-it-made".
    QStringList passes() const { return readTextFile(log).split(u'\n', Qt::SkipEmptyParts); }

    // Everything built so far becomes older than `file`, which becomes newer than what was
    // touched before.
    void touchAfterOutputs(const char *file)
    {
        m_tick += 100;
        QDirIterator it(work, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString output = it.next();
            if (output.contains(QStringLiteral("/Debug/"))) {
                ASSERT_TRUE(setFileTime(output, base + m_tick));
            }
        }
        if (file) {
            ASSERT_TRUE(setFileTime(work + u'/' + file, base + m_tick + 50));
        }
    }

    QString work;
    QString log;
    qint64 base = 0;

private:
    qint64 m_tick = 1000;
};

const QStringList kFullBuild{"cc1 lib.c", "as lib.o",   "ar lib.a",  "cc1 main.c",
                             "as main.o", "cc1 util.c", "as util.o", "ld app.elf"};

} // namespace

// Dependencies first, then nothing, then what a touched file reaches.
TEST_F(EngineBuild, RebuildsWhatATouchedFileReaches)
{
    fixture("engine_solution");
    const RunResult first = build({"-config", "Debug", "app.zav"});
    ASSERT_EQ(first.status, 0) << first.out.toStdString() << first.err.toStdString();
    EXPECT_EQ(passes(), kFullBuild);
    struct Case { const char *touched; QStringList passes; };
    const Case cases[] = {
        {nullptr, {}},
        {"util.c", {"cc1 util.c", "as util.o", "ld app.elf"}},
        {"app.h", {"cc1 main.c", "as main.o", "ld app.elf"}},
        {"lib/lib.c", {"cc1 lib.c", "as lib.o", "ar lib.a", "ld app.elf"}},
        {"app.ld", {"ld app.elf"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.touched ? c.touched : "nothing");
        touchAfterOutputs(c.touched);
        const RunResult r = build({"-config", "Debug", "app.zav"});
        EXPECT_EQ(r.status, 0) << r.out.toStdString();
        EXPECT_EQ(passes(), c.passes) << r.out.toStdString();
    }
}

// An externally built executable need not name the file its command makes: the command still
// runs in the project directory, in a serial and in a parallel build.
TEST_F(EngineBuild, ExternalProjectWithoutAnOutputNameRunsItsCommand)
{
    for (const char *jobs : {"1", "2"}) {
        for (const char *name : {"", "external_build_file_name=\"\""}) {
            SCOPED_TRACE(std::string(name) + ", -j " + jobs);
            fixture("engine_special");
            edit("special.zav", "external_build_file_name=\"out/ext.elf\"", name);
            const RunResult r = build({"-config", "Debug", "-j", jobs, "-project", "ext", "special.zav"});
            EXPECT_EQ(r.status, 0) << r.out.toStdString() << r.err.toStdString();
            EXPECT_TRUE(r.out.contains("    Running Build command ext\n")) << r.out.toStdString();
            EXPECT_EQ(readTextFile(work + "/ext.log"), "build.sh all\n");
            EXPECT_TRUE(QFileInfo::exists(work + "/ext/out/ext.elf"));
            ASSERT_TRUE(QDir(work).removeRecursively());
        }
    }
}

// What the special projects make, and that cleaning removes it.
TEST_F(EngineBuild, StagingCombiningAndExternalProjects)
{
    fixture("engine_special");
    RunResult r = build({"-config", "Debug", "special.zav"});
    ASSERT_EQ(r.status, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(readTextFile(work + "/Debug/stage/readme.txt"), "read me\n");
    EXPECT_EQ(readTextFile(work + "/post.log"), "post-stage Debug\n");
    EXPECT_EQ(readTextFile(work + "/Debug/image.bin"), "BOOTAPP!");
    EXPECT_FALSE(QFileInfo(work + "/Debug/image.bin").permissions() & QFileDevice::WriteOwner);
    EXPECT_EQ(readTextFile(work + "/ext/out/ext.elf"), "elf\n");

    r = build({"-config", "Debug", "-clean", "special.zav"});
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(QFileInfo::exists(work + "/ext/out/ext.elf"));
    EXPECT_FALSE(QFileInfo::exists(work + "/Debug/stage/readme.txt"));
    EXPECT_FALSE(QFileInfo::exists(work + "/Debug/image.bin"));
}

namespace {

// Everything the records solution runs: the library first, the executable that uses it, then
// the tool that does not.
const QStringList kAllRecords{"cc1 lib.c",  "as lib.o",   "ar lib.a",   "cc1 main.c",
                              "as main.o",  "cc1 util.c", "as util.o",  "ld app.elf",
                              "cc1 tool.c", "as tool.o",  "ld tool.elf"};

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

} // namespace

// Each row changes what some command would be after the last build (the solution file, a
// global macro, the settings) and names exactly the passes the next build runs; the build
// after that runs nothing. No file time is touched: only the records can tell.
TEST_F(EngineBuild, AChangedCommandRebuildsExactlyWhatItShapes)
{
    fixture("engine_records");
    const QStringList args{"-config", "Debug"};
    const QString zav = QStringLiteral("records.zav");
    // The global macro is kept in the settings file from now on.
    RunResult r = build(args + QStringList{"-D", "LibraryIncludes=inc", zav});
    ASSERT_EQ(r.status, 0) << r.out.toStdString() << r.err.toStdString();
    ASSERT_EQ(passes(), kAllRecords);

    struct Case
    {
        const char *change;
        std::function<void()> apply;
        QStringList extraArgs;
        QStringList passes;
    };
    auto edits = [&](const char *from, const char *to) { return [=, this] { edit(zav, from, to); }; };
    const QStringList lib{"cc1 lib.c", "as lib.o", "ar lib.a", "ld app.elf"};
    // clang-format off
    const Case cases[] = {
        {"nothing", [] {}, {}, {}},
        {"a define on one file", edits("ROUNDS=5", "ROUNDS=6"), {}, {"cc1 util.c", "as util.o", "ld app.elf"}},
        {"a define on the library", edits("LIBRARY=1", "LIBRARY=2"), {}, lib},
        {"a define of the configuration, two jobs", edits("LEVEL=1", "LEVEL=2"), {"-j", "2"}, kAllRecords},
        {"the heap size", edits("heap_size=\"1024\"", "heap_size=\"2048\""), {}, {"ld app.elf"}},
        {"a comment and indentation",
         edits("  <project Name=\"app\">", "<!-- firmware -->\n<project Name=\"app\">"), {}, {}},
        {"the order of attributes", edits("project_type=\"Library\" project_directory=\"lib\"",
                                          "project_directory=\"lib\"\n        project_type=\"Library\""), {}, {}},
        {"a global macro in the library's include directories", [] {}, {"-D", "LibraryIncludes=include"}, lib},
        {"the tool chain root directory", [&] { useTools(work + "/../tools2"); }, {}, kAllRecords},
    };
    // clang-format on
    for (const Case &c : cases) {
        SCOPED_TRACE(c.change);
        c.apply();
        r = build(args + c.extraArgs + QStringList{zav});
        EXPECT_EQ(r.status, 0) << r.out.toStdString();
        EXPECT_EQ(sorted(passes()), sorted(c.passes)) << r.out.toStdString();
        r = build(args + c.extraArgs + QStringList{zav});
        EXPECT_TRUE(passes().isEmpty()) << r.out.toStdString();
    }
    EXPECT_TRUE(readTextFile(work + "/Debug/app.ld").contains("  __HEAPSIZE__ = 2048;\n"));
}

// The failed link leaves a partial executable newer than every input; its record says the link
// failed, so the next build links again instead of taking the file as up to date. The verbose
// build says why each output is out of date.
TEST_F(EngineBuild, AFailedLinkIsNeverTakenAsUpToDate)
{
    fixture("engine_records");
    const QStringList args{"-config", "Debug", "records.zav"};
    ASSERT_TRUE(writeTextFile(work + "/undefined_symbol", ""));
    RunResult r = build(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains("undefined reference to 'missing'")) << r.out.toStdString();
    ASSERT_TRUE(QFileInfo::exists(work + "/Debug/app.elf"));

    r = build(QStringList{"-verbose"} + args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(passes(), QStringList{"ld app.elf"}) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("'Debug/app.elf' is out of date: its last build failed\n"));
    EXPECT_TRUE(r.out.contains("'Debug/main.o' is up to date\n"));

    QFile::remove(work + "/undefined_symbol");
    edit("records.zav", "ROUNDS=5", "ROUNDS=6");
    r = build(QStringList{"-verbose"} + args);
    EXPECT_EQ(r.status, 0) << r.out.toStdString();
    EXPECT_EQ(passes(), (QStringList{"cc1 util.c", "as util.o", "ld app.elf", "cc1 tool.c",
                                     "as tool.o", "ld tool.elf"}));
    EXPECT_TRUE(r.out.contains("'Debug/util.o' is out of date: its command changed\n"))
        << r.out.toStdString();
    build(args);
    EXPECT_TRUE(passes().isEmpty());
}
