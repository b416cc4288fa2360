// Malformed and hostile inputs given to kestrel from the command line. Whatever the input, a run
// must end promptly with one clear message and a failure status, never crash or hang, and never
// touch a file other than the build's own outputs.
#include "e2e.h"

#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A hang shows as a run that needs this long; a healthy failure takes a fraction of a second.
constexpr int kHangMs = 10000;
// Processor time the whole run (kestrel and the tools it starts) may take. Measured as CPU time
// rather than wall time so that a busy machine does not make the test fail. AddressSanitizer
// records a stack for every allocation, which makes the largest inputs several times slower;
// the second is what users get, so the sanitized run only checks that nothing runs away.
#if defined(__SANITIZE_ADDRESS__)
constexpr double kMaxSeconds = 3.0;
#else
constexpr double kMaxSeconds = 1.0;
#endif
// A slow machine may take longer, but never more than this many healthy builds of the base
// project: the largest inputs cost about four of them.
constexpr double kMaxHealthyBuilds = 10.0;
constexpr qsizetype kMaxLines = 60;

const QStringList kBuild = {"-config", "Debug", "s.zav"};

using Prepare = std::function<void(const QString &dir)>;

struct Hostile
{
    const char *fixture;     // folder under fixtures/hostile/, copied into the work directory
    QStringList args;        // the command line
    QString message;         // what the one clear message says; "|" separates alternatives
    bool build = false;      // start from base_build/, a project that builds; the fixture's files
                             // replace its files of the same name; the run may then create or
                             // change files in Debug/, and nowhere else
    Prepare prepare = {};    // what cannot be kept in a fixture: modes, special files, bulk
};

void write(const QString &path, const QByteArray &bytes)
{
    ASSERT_TRUE(writeTextFile(path, QString::fromLatin1(bytes))) << path.toStdString();
}

void makeMode(const QString &path, mode_t mode)
{
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0) << path.toStdString();
}

Prepare chmodFile(const char *name, mode_t mode)
{
    return [=](const QString &dir) { makeMode(dir + '/' + name, mode); };
}

Prepare remove(const char *name)
{
    return [=](const QString &dir) { QFile::remove(dir + '/' + name); };
}

const QByteArray kSolutionStart =
    "<!DOCTYPE Quillmark_Project_File>\n<solution Name=\"s\" version=\"2\"><configuration Name=\"Debug\"/>";

void deepNesting(const QString &dir)
{
    write(dir + "/s.zav", kSolutionStart + QByteArray("<folder Name=\"f\">").repeated(100000) +
                              QByteArray("</folder>").repeated(100000) + "</solution>\n");
}

void hugeUnterminatedAttribute(const QString &dir)
{
    write(dir + "/s.zav",
          kSolutionStart + "<project Name=\"" + QByteArray(16 << 20, 'x') + "\n");
}

void manyAttributes(const QString &dir)
{
    QByteArray attributes;
    for (int i = 0; i < 100000; ++i)
        attributes += " a" + QByteArray::number(i) + "=\"" + QByteArray::number(i) + '"';
    write(dir + "/s.zav", kSolutionStart + "<project" + attributes + ">\n");
}

void deepParentheses(const QString &dir)
{
    write(dir + "/board.xml",
          "<!DOCTYPE Board_Memory_Definition_File>\n<Root name=\"Board\">\n"
          "  <MemorySegment name=\"FLASH\" start=\"0\" size=\"" +
              QByteArray(100000, '(') + "0x40000" + QByteArray(100000, ')') +
              "\"/>\n  <MemorySegment name=\"SRAM\" start=\"0x20000000\" size=\"0x10000\"/>\n"
              "</Root>\n");
}

void fifo(const QString &dir)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir + "/s.zav").constData(), 0644), 0);
}

void symlinkLoop(const QString &dir)
{
    ASSERT_TRUE(QFile::link("b.zav", dir + "/s.zav"));
    ASSERT_TRUE(QFile::link("s.zav", dir + "/b.zav"));
}

void readOnlyOutputDirectory(const QString &dir)
{
    ASSERT_TRUE(QDir(dir).mkdir("Debug"));
    makeMode(dir + "/Debug", 0555);
}

// clang-format off
const Hostile kRows[] = {
    {"mismatched_tags", kBuild, "load error: bad XML file - tagName mismatch"},
    {"unterminated_attribute", kBuild, "load error: bad XML file - bad tagName"},
    {"deep_nesting", kBuild, "load error: bad XML file - elements nested too deeply", false,
     deepNesting},
    {"huge_attribute", kBuild, "s.zav not a solution file", false, hugeUnterminatedAttribute},
    {"many_attributes", kBuild, "s.zav not a solution file", false, manyAttributes},
    // Solution files that cannot be opened.
    {"solution_missing", kBuild, "s.zav does not exist"},
    {"solution_is_directory", kBuild, "s.zav cannot access"},
    {"solution_unreadable", kBuild, "s.zav cannot access", false, chmodFile("s.zav", 0)},
    {"solution_in_locked_directory", {"-config", "Debug", "locked/s.zav"}, "s.zav cannot access",
     false, chmodFile("locked", 0)},
    {"solution_fifo", kBuild, "s.zav cannot access", false, fifo},
    {"solution_symlink_loop", kBuild, "s.zav does not exist", false, symlinkLoop},
    // Imports.
    {"import_self", kBuild, "s.zav solution already loaded"},
    {"import_cycle", kBuild, "s.zav solution already loaded"},
    {"import_missing", kBuild, "load error: missing.zav does not exist"},
    {"import_directory", kBuild, "load error: sub cannot access"},
    {"import_unreadable", kBuild, "load error: locked.zav cannot access", false,
     chmodFile("locked.zav", 0)},
    {"import_binary", kBuild, "load error: blob.zav not a solution file"},
    {"import_truncated", kBuild, "load error: half.zav not a solution file"},
    {"template_unknown", kBuild, "load error: NoSuchTemplate project template not found"},
    // Option files and the templates file.
    {"options_self", {"@self.opts", "s.zav"}, "error: too many indirect files"},
    {"options_mutual", {"@a.opts", "s.zav"}, "error: too many indirect files"},
    {"options_missing", {"-config", "Debug", "@missing.opts", "s.zav"},
     "error: can't open indirect file missing.opts"},
    {"options_unterminated", {"@u.opts", "s.zav"},
     "error: unterminated string in indirect file u.opts(1)"},
    {"options_binary", {"-config", "Debug", "@blob.opts"}, "does not exist"},
    {"options_directory", {"-config", "Debug", "@dir.opts", "s.zav"},
     "error: can't open indirect file dir.opts: Is a directory"},
    {"templates_file_binary",
     {"-config", "Debug", "-templatesfile", "templates.xml", "-template", "T", "-project", "p"},
     "can't find template 'T'"},
    {"templates_file_wrong",
     {"-config", "Debug", "-templatesfile", "templates.xml", "-template", "T", "-project", "p"},
     "can't find template 'T'"},
    // Macros that refer to themselves or multiply.
    {"self_referring_macro", kBuild, "$(Loop).c: No such file or directory", true},
    {"mutual_macros", kBuild, "$(A).c: No such file or directory", true},
    {"doubling_macros", kBuild, "$(M0).c: No such file or directory", true},
    {"nested_fallbacks", kBuild, "File name too long", true},
    // Memory maps.
    {"map_include_self", kBuild, "board.xml' nested too deeply", true},
    {"map_include_cycle", kBuild, "other.xml' nested too deeply", true},
    {"map_for_zero_increment", kBuild, "incr=\"0\" never ends", true},
    {"map_for_runaway", kBuild, "stopped after 65536 iterations", true},
    // A size that cannot be evaluated counts as 0, so nothing fits.
    {"map_deep_parentheses", kBuild, "error: .text is too large to fit in FLASH memory segment",
     true, deepParentheses},
    {"map_division_by_zero", kBuild, "is too large to fit in FLASH memory segment", true},
    {"map_absurd_values", kBuild, "wraps around address space", true},
    {"map_no_segments", kBuild, "UNPLACED_SECTIONS", true},
    {"map_missing", kBuild, "memory map file does not exist: ", true, remove("board.xml")},
    {"map_unreadable", kBuild, "cannot load memory map file: ", true, chmodFile("board.xml", 0)},
    {"map_bad_xml", kBuild, "cannot load memory map file: ", true},
    {"map_binary", kBuild, "cannot load memory map file: ", true},
    {"map_is_directory", kBuild, "cannot load memory map file: ", true},
    // Section placements.
    {"placement_cyclic_runin", kBuild, "run section .a cannot have run in sections", true},
    {"placement_runin_missing", kBuild, "cannot find run section .nowhere referenced in .data",
     true},
    {"placement_outside_segment", kBuild,
     "The .text section has been placed at an absolute address outside of its segment range.",
     true},
    {"placement_overflow", kBuild, "error: .big is too large to fit in SRAM memory segment", true},
    {"placement_missing", kBuild, "section placement file does not exist: ", true,
     remove("placement.xml")},
    {"placement_bad_xml", kBuild, "cannot load section placement file: ", true},
    // Projects and the file system.
    {"dependency_cycle", kBuild,
     "cyclic project dependencies in configuration \"Debug\": \"a\" -> \"b\" -> \"c\" -> \"a\"",
     true},
    {"dependency_on_itself", kBuild,
     "cyclic project dependencies in configuration \"Debug\": \"a\" -> \"a\"", true},
    {"source_missing", kBuild, "absent.c: No such file or directory", true},
    {"source_unreadable", kBuild, "main.c: Permission denied", true, chmodFile("main.c", 0)},
    {"source_is_directory", kBuild, "srcdir.c: No such file or directory", true},
    {"linker_options_file_missing", kBuild, "Cannot load options file: absent.txt", true},
    // The message must name the directory (or a file in it) that cannot be written.
    {"read_only_output_directory", kBuild, "/Debug\"|/Debug/|\"Debug/", true,
     readOnlyOutputDirectory},
    {"output_directory_is_a_file", kBuild, "/Debug\" for \"/", true},
};
// clang-format on

// Solution files that are not solutions, each with the same clear message.
const char *const kNotSolutions[] = {
    "empty", "only_blanks", "random_bytes", "elf_binary", "gzip_binary", "utf16", "nul_inside",
    "truncated_in_tag", "truncated_in_value", "truncated_after_doctype", "no_doctype",
    "wrong_doctype", "doctype_no_element", "entity_bomb", "unclosed_comment", "unclosed_cdata"};

std::vector<Hostile> allCases()
{
    std::vector<Hostile> cases;
    for (const char *fixture : kNotSolutions)
        cases.push_back({fixture, kBuild, "s.zav not a solution file"});
    cases.insert(cases.end(), std::begin(kRows), std::end(kRows));
    return cases;
}

// What a run may not change unnoticed: every file and directory with its kind, size, time and
// mode, by path relative to the work directory.
QMap<QString, QString> snapshot(const QString &dir)
{
    QMap<QString, QString> entries;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat st;
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
            continue;
        entries.insert(QDir(dir).relativeFilePath(path),
                       QString("mode %1 size %2 mtime %3.%4")
                           .arg(st.st_mode, 0, 8)
                           .arg(st.st_size)
                           .arg(st.st_mtim.tv_sec)
                           .arg(st.st_mtim.tv_nsec));
    }
    return entries;
}

// What the run created, changed or removed, apart from the paths `allowed` matches.
QStringList touched(const QMap<QString, QString> &before, const QMap<QString, QString> &after,
                    const QRegularExpression &allowed)
{
    QStringList paths = before.keys() + after.keys();
    paths.removeDuplicates();
    paths.removeIf([&](const QString &path) {
        return allowed.match(path).hasMatch() || before.value(path) == after.value(path);
    });
    return paths;
}

const QStringList kUnprivileged = {"--reuid=65534", "--regid=65534", "--clear-groups", "--"};

// The installation whose kestrel and tool chain the unprivileged runs start: the build tree,
// unless it lies below a directory uid 65534 may not enter (a checkout in /root or in a
// mktemp -d directory). Then each test process makes a copy anyone may read.
QString unprivilegedRoot()
{
    static QTemporaryDir copy;
    static const QString root = [] {
        const QString built = kestrelRootDir();
        const QString reach =
            R"(test -x "$0/bin/kestrel" && test -x "$0/gcc/bin/cc1" && test -r "$0/targets")";
        if (runProgram("setpriv", kUnprivileged + QStringList{"sh", "-c", reach, built},
                       QDir::tempPath()).status == 0)
            return built;
        const QString copied = copy.path() + "/root";
        const bool made = runProgram("sh", {"-c", R"(mkdir "$1" && cd "$0" && cp -a --reflink=auto )"
                                                  R"(bin gcc include lib targets "$1" && )"
                                                  R"(chmod -R a+rX "$1/..")", built, copied},
                                     QDir::tempPath()).status == 0;
        std::fprintf(stderr, "uid 65534 cannot reach %s%s %s\n", qPrintable(built),
                     made ? ": the unprivileged runs use a copy in" : ", nor a copy in",
                     qPrintable(copied));
        return made ? copied : built;
    }();
    return root;
}

double childCpuSeconds()
{
    struct rusage usage;
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Processor time of a successful build of the base project, on this machine.
double healthyBuildSeconds()
{
    QTemporaryDir healthy;
    if (!copyFixture("hostile/base_build", healthy.path()))
        return 0;
    const double before = childCpuSeconds();
    runProgram(kestrelBinary(), kBuild, healthy.path(),
               {"TESSARY_ROOT_USER_DIR=" + healthy.path() + "/user",
                "HOME=" + healthy.path() + "/home"},
               kHangMs);
    return childCpuSeconds() - before;
}

class HostileInputs : public WorkDirWith<Hostile>
{
protected:
    void SetUp() override
    {
        WorkDir::SetUp();
        const Hostile &c = GetParam();
        if (c.build) {
            ASSERT_TRUE(copyFixture("hostile/base_build", dir));
        }
        if (QFileInfo(fixtureDir(c.fixture)).isDir()) {
            ASSERT_TRUE(copyIntoBase(c.fixture));
        }
        ASSERT_TRUE(QDir(dir).mkpath("home"));
        ASSERT_TRUE(QDir(dir).mkpath("user"));
        if (c.prepare)
            c.prepare(dir);
        // Modes mean nothing to the superuser: run as an ordinary user then, owning the tree.
        if (::geteuid() == 0) {
            ASSERT_EQ(::system(("chown -R 65534:65534 " + dir).toLocal8Bit().constData()), 0);
        }
    }

    void TearDown() override
    {
        // Let the temporary directory be removed whatever the case left unreadable.
        ::system(("chmod -R u+rwx " + dir + " 2>/dev/null").toLocal8Bit().constData());
    }

    static QString fixtureDir(const char *name)
    {
        return kestrelTestsDir() + "/e2e/fixtures/hostile/" + QLatin1String(name);
    }

    // A fixture file replaces the base's file of the same name, whatever kind that was.
    bool copyIntoBase(const char *name)
    {
        for (const QString &relative : sourceFiles(fixtureDir(name))) {
            const QString top = relative.section('/', 0, 0);
            if (relative != top && QFileInfo(dir + '/' + top).isFile())
                QFile::remove(dir + '/' + top);
        }
        return copyFixture("hostile/" + QString(name), dir);
    }

    RunResult run(const QStringList &args)
    {
        const QStringList env = {"TESSARY_ROOT_USER_DIR=" + dir + "/user",
                                 "HOME=" + dir + "/home"};
        if (::geteuid() != 0)
            return runProgram(kestrelBinary(), args, dir, env, kHangMs);
        return runProgram("setpriv",
                          kUnprivileged + QStringList{unprivilegedRoot() + "/bin/kestrel"} + args,
                          dir, env, kHangMs);
    }
};

TEST_P(HostileInputs, EndPromptlyWithOneClearMessageAndTouchNothingElse)
{
    const Hostile &c = GetParam();
    const QMap<QString, QString> before = snapshot(dir);
    const double cpuBefore = childCpuSeconds();

    const RunResult r = run(c.args);

    const double cpu = childCpuSeconds() - cpuBefore;
    // Only a run over the fixed limit pays for learning how fast this machine is.
    const double allowed = cpu < kMaxSeconds ? kMaxSeconds
                                             : std::max(kMaxSeconds, kMaxHealthyBuilds *
                                                                         healthyBuildSeconds());
    const QString output = r.out + r.err;
    SCOPED_TRACE(output.left(2000).toStdString());
    EXPECT_NE(r.status, -1) << "crashed, or still running after " << kHangMs << " ms";
    EXPECT_GT(r.status, 0);
    EXPECT_LT(cpu, allowed) << "seconds of processor time";
    const QStringList messages = c.message.split(u'|');
    EXPECT_TRUE(std::any_of(messages.cbegin(), messages.cend(),
                            [&](const QString &text) { return output.contains(text); }))
        << "expected " << c.message.toStdString();
    // One message and its context, not a flood: a tool may list what it rejected, within reason.
    EXPECT_LT(output.count(u'\n'), kMaxLines) << "lines of output";
    for (const char *alarm : {"Internal error detected", "Sanitizer", "runtime error:"})
        EXPECT_FALSE(output.contains(QLatin1String(alarm))) << alarm;
    // The user data directory is the tool's own; a build may write its outputs in Debug/.
    EXPECT_EQ(touched(before, snapshot(dir),
                      QRegularExpression(c.build ? "^(user|Debug)(/|$)" : "^user(/|$)")),
              QStringList());
    EXPECT_EQ(QDir(dir + "/home").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList());
}

void PrintTo(const Hostile &c, std::ostream *os)
{
    *os << c.fixture;
}

INSTANTIATE_TEST_SUITE_P(Corpus, HostileInputs, ::testing::ValuesIn(allCases()),
                         [](const ::testing::TestParamInfo<Hostile> &param) {
                             return std::string(param.param.fixture);
                         });

} // namespace
