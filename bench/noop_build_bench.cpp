// Measures a build that finds nothing to do: one executable project of C files whose
// dependency files each name 30 of 300 headers, all outputs current. This is the path every
// edit-compile cycle pays for every file it does not recompile: resolving the settings, naming
// the object, reading its dependency file and looking at the time of everything it names.
//
//   noop_build_bench [files...]        (default: 500 5000)
//
// For each size prints the wall-clock and processor time of the fastest of three builds, in
// total and per file; the per-file time should stay flat as the project grows.
#include "engine/arm_build_system.h"
#include "engine/build_flags.h"
#include "engine/builder.h"
#include "project/arm_project_system.h"
#include "project/project_element.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <utime.h>

namespace {

constexpr int kHeaders = 300;
constexpr int kHeadersPerFile = 30;

// Counts the commands a build would run; a no-op build must run none.
class CountingBuilder : public Builder
{
public:
    void beginGroup(ProjectElement *, const QString &, int) override {}
    void endGroup(ProjectElement *) override {}
    void init() override {}
    void setDirectory(const QString &) override {}
    void setCommand(const QStringList &) override {}
    void setEnvironment(const QStringList &) override {}
    void setOutputFiles(const QStringList &) override {}
    void setTemporaryFiles(const QStringList &) override {}
    void doit() override { ++commands; }
    void error(const QString &) override {}
    int commands = 0;
};

void writeFile(const QString &path, const QByteArray &text, time_t time)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    file.write(text);
    file.close();
    const struct utimbuf times{time, time};
    utime(QFile::encodeName(path).constData(), &times);
}

// Sources and headers are old, objects and dependency files newer, the executable newest.
void generate(const QString &dir, int files)
{
    const time_t base = std::time(nullptr) - 100000;
    QDir().mkpath(dir + "/inc");
    QDir().mkpath(dir + "/src");
    QDir().mkpath(dir + "/Debug");
    for (int h = 0; h < kHeaders; ++h)
        writeFile(QString("%1/inc/h%2.h").arg(dir).arg(h), "#pragma once\n", base);
    writeFile(dir + "/app.ld", "SECTIONS {}\n", base);

    QString solution;
    QTextStream out(&solution);
    out << "<!DOCTYPE Quillmark_Project_File>\n<solution Name=\"bench\" version=\"2\">\n"
           "  <configuration Name=\"Debug\"/>\n  <project Name=\"app\">\n"
           "    <configuration Name=\"Common\" linker_map_file=\"No\"/>\n"
           "    <file file_name=\"app.ld\"><configuration Name=\"Common\" file_type=\"Linker Script\"/></file>\n"
           "    <folder Name=\"src\">\n";
    quint32 seed = 12345;
    for (int f = 0; f < files; ++f) {
        const QString name = QString("src/file%1.c").arg(f);
        out << "      <file file_name=\"" << name << "\"/>\n";
        writeFile(dir + u'/' + name, "int x;\n", base);
        QByteArray dep = QString("Debug/file%1.o: %2").arg(f).arg(name).toUtf8();
        for (int i = 0; i < kHeadersPerFile; ++i) {
            seed = seed * 1103515245 + 12345;
            dep += QString(" \\\n  inc/h%1.h").arg((seed >> 8) % kHeaders).toUtf8();
        }
        writeFile(QString("%1/Debug/file%2.d").arg(dir).arg(f), dep + '\n', base + 10);
        writeFile(QString("%1/Debug/file%2.o").arg(dir).arg(f), "obj", base + 10);
    }
    out << "    </folder>\n  </project>\n</solution>\n";
    out.flush();
    writeFile(dir + "/Debug/app.elf", "elf", base + 20);
    writeFile(dir + "/bench.zav", solution.toUtf8(), base);
}

double cpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

void measure(int files)
{
    QTemporaryDir dir;
    generate(dir.path(), files);
    ARMProjectSystem projects;
    projectSystem = &projects;
    ARMBuildSystem builds{QStringList()};
    buildSystem = &builds;
    standardBuildSystem = &builds;
    projects.loadSolution(dir.path() + "/bench.zav", nullptr, nullptr);

    double bestWall = 1e9;
    double bestCpu = 1e9;
    int commands = 0;
    for (int round = 0; round < 3; ++round) {
        CountingBuilder builder;
        QElapsedTimer wall;
        wall.start();
        const double cpu = cpuSeconds();
        builds.build(projects.solutionElement(), "Debug", &builder, BuildQuiet, true, false);
        bestWall = std::min(bestWall, wall.nsecsElapsed() / 1e9);
        bestCpu = std::min(bestCpu, cpuSeconds() - cpu);
        commands += builder.commands;
    }
    std::printf("%6d files: wall %8.3f s (%6.1f us/file)  cpu %8.3f s (%6.1f us/file)  "
                "commands run %d\n",
                files, bestWall, bestWall * 1e6 / files, bestCpu, bestCpu * 1e6 / files,
                commands);
    buildSystem = nullptr;
    standardBuildSystem = nullptr;
    projectSystem = nullptr;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.append(QString(argv[i]).toInt());
    if (sizes.isEmpty())
        sizes = {500, 5000};
    for (int files : std::as_const(sizes))
        measure(files);
    return 0;
}
