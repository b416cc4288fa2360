// Measures the project model's hot path: loading a large solution and resolving every property
// a build reads for every file in one configuration.
//
//   load_resolve_bench [projects] [files per project] [rounds]
//
// The solution is generated into a temporary directory: projects with folders, files of which
// every tenth has configurations of its own, inherited and hidden configurations, and values
// at every level. Prints the time of the load, of the first (cold) resolution pass and of the
// fastest later pass, each as wall-clock and as processor time (the latter is what to compare
// on a busy machine).
#include "project/project_element.h"
#include "project/project_system.h"
#include "project/property_class.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

namespace {

constexpr int kFoldersPerProject = 5;
constexpr int kProperties = 40;

QString solutionConfigurations()
{
    return R"(  <configuration Name="Common" c_preprocessor_definitions="STARTUP_FROM_RESET"
      build_intermediate_directory="$(Configuration)/obj" build_output_directory="$(Configuration)/exe"
      arm_core_type="Cortex-M3" p5="solution" p17="s17" p33="s33"/>
  <configuration Name="ARM Flash Debug" hidden="Yes" Platform="ARM" arm_instruction_set="Thumb"
      c_preprocessor_definitions="FLASH" p9="flash"/>
  <configuration Name="THUMB" hidden="Yes" arm_instruction_set="Thumb" p21="thumb"/>
  <configuration Name="Debug" inherited_configurations="ARM Flash Debug;THUMB"
      build_debug_information="Yes" gcc_optimization_level="None" c_preprocessor_definitions="DEBUG"/>
  <configuration Name="Release" build_debug_information="No" gcc_optimization_level="Level 2"/>
)";
}

void writeProject(QTextStream &out, int project, int files)
{
    out << QString(R"(  <project Name="Project%1">
    <configuration Name="Common" project_directory="p%1" project_type="Executable"
        c_user_include_directories="inc;../common/inc" p3="project"/>
    <configuration Name="Debug" c_preprocessor_definitions="PROJECT%1_DEBUG" p12="pd" p24="pd24"/>
)")
               .arg(project);
    int file = 0;
    for (int folder = 0; folder < kFoldersPerProject; ++folder) {
        out << QString(R"(    <folder Name="Folder%1">
      <configuration Name="Common" filter="c;cpp;s" c_user_include_directories="f%1"/>
)")
                   .arg(folder);
        for (int i = 0; i < files / kFoldersPerProject; ++i, ++file) {
            if (file % 10 != 0) {
                out << QString(R"(      <file file_name="src/f%1/file%2.c"/>
)")
                           .arg(folder)
                           .arg(file);
                continue;
            }
            out << QString(R"(      <file file_name="src/f%1/file%2.c">
        <configuration Name="Common" c_preprocessor_definitions="FILE%2" p30="file"/>
        <configuration Name="Debug" gcc_optimization_level="Level 1" p7="fd"/>
      </file>
)")
                       .arg(folder)
                       .arg(file);
        }
        out << "    </folder>\n";
    }
    out << "  </project>\n";
}

QString generate(const QString &directory, int projects, int files)
{
    const QString path = directory + "/bench.zav";
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    QTextStream out(&f);
    out << "<!DOCTYPE Quillmark_Project_File>\n<solution Name=\"Bench\" version=\"2\">\n";
    out << solutionConfigurations();
    for (int p = 0; p < projects; ++p)
        writeProject(out, p, files);
    out << "</solution>\n";
    return path;
}

// A spread like the compiler's: lists that accumulate, values set at some level, and values
// set nowhere that fall back to their default.
std::vector<std::unique_ptr<PropertyClass>> makeProperties()
{
    std::vector<std::unique_ptr<PropertyClass>> classes;
    const char *named[] = {"c_preprocessor_definitions",   "c_user_include_directories",
                           "build_intermediate_directory", "build_output_directory",
                           "build_debug_information",      "gcc_optimization_level",
                           "arm_instruction_set",          "arm_core_type"};
    for (const char *name : named) {
        const bool list = QByteArray(name).startsWith("c_");
        classes.push_back(std::make_unique<PropertyClass>(
            name, list ? PropertyClass::StringList : PropertyClass::String, "Build", "Options",
            name, QString(), "default"));
    }
    for (int i = int(classes.size()); i < kProperties; ++i) {
        classes.push_back(std::make_unique<PropertyClass>(
            QStringLiteral("p%1").arg(i),
            i % 4 == 0 ? PropertyClass::StringList : PropertyClass::String, "Build", "Options",
            QString(), QString(), QStringLiteral("d%1").arg(i)));
    }
    return classes;
}

void collectFiles(ProjectElement *e, std::vector<ProjectElement *> &files)
{
    for (ProjectElement *c = e->firstChild; c; c = c->nextSibling) {
        if (c->isFile())
            files.push_back(c);
        else if (!c->isConfiguration())
            collectFiles(c, files);
    }
}

// Wall-clock and processor time of one step, in milliseconds.
struct Timing
{
    double wall = 0;
    double cpu = 0;
};

double processorMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

template <typename Step> Timing timed(Step step)
{
    QElapsedTimer timer;
    const double cpu = processorMs();
    timer.start();
    step();
    return {double(timer.nsecsElapsed()) / 1e6, processorMs() - cpu};
}

void resolveAll(const ProjectSystem &system, const std::vector<ProjectElement *> &files,
                const std::vector<std::unique_ptr<PropertyClass>> &classes, qint64 &checksum)
{
    static const QString debug = QStringLiteral("Debug");
    for (ProjectElement *file : files) {
        for (const auto &c : classes)
            checksum += system.settingFor(file, c.get(), debug).size();
    }
}

void print(const char *what, const Timing &t)
{
    std::printf("%-16s %8.1f ms wall %8.1f ms cpu\n", what, t.wall, t.cpu);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int projects = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    const int files = argc > 2 ? std::max(kFoldersPerProject, atoi(argv[2])) : 500;
    const int rounds = argc > 3 ? std::max(1, atoi(argv[3])) : 5;

    QTemporaryDir dir;
    const QString path = generate(dir.path(), projects, files);
    if (path.isNull()) {
        std::fprintf(stderr, "cannot write the solution into %s\n", qPrintable(dir.path()));
        return 1;
    }

    ProjectSystem system;
    projectSystem = &system;
    const Timing load = timed([&] { system.loadSolution(path, nullptr, nullptr); });

    std::vector<ProjectElement *> elements;
    collectFiles(system.solutionElement(), elements);
    const auto classes = makeProperties();
    qint64 checksum = 0;
    const Timing cold = timed([&] { resolveAll(system, elements, classes, checksum); });
    Timing warm{-1, -1};
    for (int r = 1; r < rounds; ++r) {
        const Timing t = timed([&] { resolveAll(system, elements, classes, checksum); });
        if (warm.wall < 0 || t.cpu < warm.cpu)
            warm = t;
    }

    const qint64 lookups = qint64(elements.size()) * kProperties;
    std::printf("solution: %d projects x %d files (%zu files), %lld bytes; %lld lookups a pass\n",
                projects, files, elements.size(), static_cast<long long>(QFile(path).size()),
                static_cast<long long>(lookups));
    print("load:", load);
    print("resolve (cold):", cold);
    if (warm.wall >= 0)
        print("resolve (warm):", warm);
    print("load + resolve:", {load.wall + cold.wall, load.cpu + cold.cpu});
    std::printf("(checksum %lld)\n", static_cast<long long>(checksum));
    projectSystem = nullptr;
    return 0;
}
