#include "command_recorder.h"

#include "engine/gcc_build_system.h"

#include "support/qt_printers.h"

#include <QRegularExpression>

namespace {

class GCCCommands : public CommandLineTest<GCCBuildSystem>
{
protected:
    void SetUp() override
    {
        CommandLineTest::SetUp();
        macroSystem.setSystemMacro(QStringLiteral("Tools"), QStringLiteral("/opt/gnu"));
        use(std::make_unique<GCCBuildSystem>(QStringList(), "arm-elf-", "$(Tools)/bin", true));
        for (const char *file : {"main.c", "util.cpp", "start.s", "main.bas"})
            writeTextFile(root + u'/' + QLatin1String(file), QString());
    }
};

TEST_F(GCCCommands, CompilesThroughTheDriverAndLinksInAnOpenGroup)
{
    const QStringList lines = build(appSolution(
        R"(gcc_optimization_level="Level 1" linker_output_format="bin"
        c_preprocessor_definitions="X=1" linker_additional_options="-nostdlib")",
        R"(<file file_name="main.c"/><file file_name="util.cpp"/><file file_name="start.s"/>
        <file file_name="main.bas"/>)"));
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
    const QStringList lines = build(appSolution(R"(project_type="Library" build_quietly="No"
        c_ignore_includes="Yes" gcc_optimization_level="None")", R"(<file file_name="main.c"/>)"));
    EXPECT_EQ(lines, (QStringList{"/opt/gnu/bin/arm-elf-gcc -c -fmessage-length=0 -MD -MQ "
                                  "Debug/main.o -v -g -std=c99 " +
                                      root + "/main.c -o Debug/main.o",
                                  "/opt/gnu/bin/arm-elf-ar -rcs Debug/app.a Debug/main.o",
                                  "/opt/gnu/bin/arm-elf-ranlib Debug/app.a"}));
}

} // namespace
