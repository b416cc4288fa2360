#include "command_recorder.h"

#include "engine/build_flags.h"
#include "engine/gcc_build_system.h"
#include "macros/macro_system.h"
#include "project/arm_project_system.h"

#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

class GCCCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        root = QFileInfo(m_dir.path()).canonicalFilePath();
        macroSystem.setSystemMacro(QStringLiteral("Tools"), QStringLiteral("/opt/gnu"));
        m_projects = std::make_unique<ARMProjectSystem>();
        projectSystem = m_projects.get();
        m_build = std::make_unique<GCCBuildSystem>(QStringList(), "arm-elf-", "$(Tools)/bin", true);
        buildSystem = m_build.get();
        standardBuildSystem = m_build.get();
        for (const char *file : {"main.c", "util.cpp", "start.s", "main.bas"})
            writeTextFile(root + u'/' + QLatin1String(file), QString());
    }

    void TearDown() override
    {
        m_build.reset();
        m_projects.reset();
        buildSystem = nullptr;
        standardBuildSystem = nullptr;
        projectSystem = nullptr;
        macroSystem.reset();
    }

    QStringList build(const QString &projectSettings, const QString &files)
    {
        const QString path = root + QStringLiteral("/test.zav");
        EXPECT_TRUE(writeTextFile(path, QStringLiteral(R"(<!DOCTYPE Quillmark_Project_File>
<solution Name="s" version="2">
  <configuration Name="Debug"/>
  <project Name="app">
    <configuration Name="Common" %1/>
    %2
  </project>
</solution>)")
                                            .arg(projectSettings, files)));
        projectSystem->loadSolution(path, nullptr, nullptr);
        buildSystem->build(projectSystem->solutionElement(), QStringLiteral("Debug"), &recorder,
                           BuildQuiet, true, false);
        return recorder.lines();
    }

    QString root;
    CommandRecorder recorder;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ARMProjectSystem> m_projects;
    std::unique_ptr<GCCBuildSystem> m_build;
};

TEST_F(GCCCommands, CompilesThroughTheDriverAndLinksInAnOpenGroup)
{
    const QStringList lines =
        build(QStringLiteral(
                  "gcc_optimization_level=\"Level 1\" linker_output_format=\"bin\" "
                  "c_preprocessor_definitions=\"X=1\" linker_additional_options=\"-nostdlib\""),
              QStringLiteral("<file file_name=\"main.c\"/><file file_name=\"util.cpp\"/>"
                             "<file file_name=\"start.s\"/><file file_name=\"main.bas\"/>"));
    const QString tools = QStringLiteral("/opt/gnu/bin/arm-elf-");
    EXPECT_EQ(
        lines,
        (QStringList{tools +
                         "gcc -c -fmessage-length=0 -I. -DX=1 -MD -MQ Debug/main.o -g -std=c99 "
                         "-O1 " +
                         root + "/main.c -o Debug/main.o",
                     tools +
                         "g++ -c -fno-exceptions -fno-rtti -fmessage-length=0 -I. -DX=1 -MD -MQ "
                         "Debug/util.o -g -ansi -O1 " +
                         root + "/util.cpp -o Debug/util.o",
                     tools +
                         "gcc -c -fmessage-length=0 -I. -DX=1 -MD -MQ Debug/start.o -g -ansi -O1 " +
                         root + "/start.s -o Debug/start.o",
                     tools + "g++ -g -nostdlib -Wl,--start-group Debug/main.o Debug/util.o "
                             "Debug/start.o -o Debug/app.elf",
                     tools + "objcopy -Obinary Debug/app.elf Debug/app.bin"}));
    EXPECT_EQ(recorder.log.filter(QRegularExpression(QStringLiteral("^group (Compiling|Linking)"))),
              (QStringList{"group Compiling main.c", "group Compiling util.cpp",
                           "group Compiling start.s", "group Linking app.elf"}));
}

TEST_F(GCCCommands, LibraryIsArchivedAndIndexed)
{
    const QStringList lines = build(QStringLiteral("project_type=\"Library\" build_quietly=\"No\" "
                                                   "c_ignore_includes=\"Yes\" "
                                                   "gcc_optimization_level=\"None\""),
                                    QStringLiteral("<file file_name=\"main.c\"/>"));
    EXPECT_EQ(lines, (QStringList{"/opt/gnu/bin/arm-elf-gcc -c -fmessage-length=0 -MD -MQ "
                                  "Debug/main.o -v -g -std=c99 " +
                                      root + "/main.c -o Debug/main.o",
                                  "/opt/gnu/bin/arm-elf-ar -rcs Debug/app.a Debug/main.o",
                                  "/opt/gnu/bin/arm-elf-ranlib Debug/app.a"}));
}

} // namespace
