#include "command_recorder.h"

#include "engine/arm_build_system.h"
#include "host/qtx.h"
#include "project/project_element.h"

#include "support/qt_printers.h"

#include <QDateTime>
#include <QDir>
#include <QRegularExpression>

namespace {

// A Cortex-M3 project with a linker script of its own and one C file; `extra` goes into the
// project's "Common" configuration, `files` into the project.
QString cortexM3Solution(const QString &extra = QString(), const QString &files = QString())
{
    return QStringLiteral(R"(<!DOCTYPE Quillmark_Project_File>
<solution Name="s" version="2">
  <configuration Name="Debug"/>
  <project Name="app">
    <configuration Name="Common" arm_core_type="Cortex-M3" arm_architecture="v7M"
        arm_instruction_set="Thumb" arm_library_instruction_set="Thumb"
        link_IOLibraryName="debug" %1/>
    <file file_name="main.c"/>
    <file file_name="flash.ld"><configuration Name="Common" file_type="Linker Script"/></file>
    %2
  </project>
</solution>)")
        .arg(extra, files);
}

class ARMCommands : public CommandLineTest<ARMBuildSystem>
{
protected:
    void SetUp() override
    {
        CommandLineTest::SetUp();
        QDir(root).mkpath(QStringLiteral("install/bin"));
        QTx::setApplicationPath(QFile::encodeName(root + QStringLiteral("/install/bin/kestrel")),
                                1);
        macroSystem.setSystemMacro(QStringLiteral("StudioDir"), QStringLiteral("/studio"));
        macroSystem.setSystemMacro(QStringLiteral("PackagesDir"), QStringLiteral("/packages"));
        use(std::make_unique<ARMBuildSystem>(QStringList()));
        for (const char *file : {"main.c", "main.cpp", "start.s", "flash.ld"})
            writeTextFile(root + u'/' + QLatin1String(file), QString());
    }
};

const QString kCortexM3Target = QStringLiteral(
    "-mcpu=cortex-m3 -march=armv7-m -mthumb -mthumb-interwork -mlittle-endian -mfpu=vfp "
    "-mfloat-abi=soft");
const QString kCortexM3AsmTarget = QStringLiteral(
    "-mcpu=cortex-m3 -march=armv7-m -mthumb -mthumb-interwork -EL -mfpu=vfp -mfloat-abi=soft");
const QString kDefinitions =
    QStringLiteral("-D__TESSARY_ARM -D__TESSARY_MAJOR_VERSION=2 -D__TESSARY_MINOR_VERSION=0 "
                   "-D__TESSARY_REVISION=4");

QString cortexM3Libraries(const QString &io = QStringLiteral("libc_debugio_impl"))
{
    QStringList libraries;
    for (const char *name : {"libm", "libc", "libcpp", "libdebugio", "libdebugio_bkpt"})
        libraries << QStringLiteral("/studio/lib/%1_v7m_t_le.a").arg(QLatin1String(name));
    if (!io.isEmpty())
        libraries << QStringLiteral("/studio/lib/%1_v7m_t_le.a").arg(io);
    for (const char *name : {"libgccfp", "libc_user_libc", "libarm", "libarmdi"})
        libraries << QStringLiteral("/studio/lib/%1_v7m_t_le.a").arg(QLatin1String(name));
    return libraries.join(u' ');
}

TEST_F(ARMCommands, CortexM3ProjectCompilesAssemblesAndLinksWithTheTargetsLibraries)
{
    const QStringList lines = build(cortexM3Solution());
    ASSERT_EQ(lines.size(), 4) << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("/studio/gcc/bin/cc1 -fmessage-length=0 ") +
                            kCortexM3Target +
                            QStringLiteral(" -nostdinc -isystem/studio/include "
                                           "-isystem/packages/include -I. -D__ARM_ARCH_7M__ ") +
                            kDefinitions +
                            QStringLiteral(" -MD Debug/main.d -MQ Debug/main.o -quiet "
                                           "-gdwarf-2 -std=c99 -fno-dwarf2-cfi-asm -fno-builtin ") +
                            root + QStringLiteral("/main.c -o <tmp>"));
    EXPECT_EQ(lines[1], QStringLiteral("/studio/gcc/bin/as --traditional-format ") +
                            kCortexM3AsmTarget + QStringLiteral(" <tmp> -o Debug/main.o"));
    EXPECT_EQ(lines[2], QStringLiteral("rm <tmp>"));
    EXPECT_EQ(lines[3], QStringLiteral("/studio/gcc/bin/ld -X -e reset_handler --omagic "
                                       "--fatal-warnings -EL -T ") +
                            root +
                            QStringLiteral("/flash.ld -Map Debug/app.map -u _vectors -o "
                                           "Debug/app.elf --start-group Debug/main.o ") +
                            cortexM3Libraries());
    EXPECT_TRUE(recorder.errors.isEmpty());
    EXPECT_EQ(recorder.temporaries.size(), 1);
    EXPECT_TRUE(recorder.temporaries.value(0).startsWith(root + QStringLiteral("/Debug/")));
    EXPECT_FALSE(QFileInfo::exists(recorder.temporaries.value(0)));
    EXPECT_EQ(recorder.directories.value(0), root);
}

TEST_F(ARMCommands, ARM7TDMICppFileWithCompilerOptions)
{
    const QString solution = QStringLiteral(R"(<!DOCTYPE Quillmark_Project_File>
<solution Name="s" version="2">
  <configuration Name="Debug"/>
  <project Name="app">
    <configuration Name="Common" arm_core_type="ARM7TDMI" arm_architecture="v4T"
        arm_endian="Big" arm_fp_abi="None" arm_long_calls="Yes" gcc_optimization_level="Level 2"
        gcc_omit_frame_pointer="Yes" gcc_emit_assembler_cfi="Yes" cpp_enable_rtti="Yes"
        build_remove_unused_symbols="Yes" build_debug_information="No" build_quietly="No"
        c_preprocessor_definitions="BOARD=2;FAST" c_preprocessor_undefinitions="SLOW"
        c_user_include_directories="inc;$(ProjectDir)/shared" c_additional_options="-Wall"
        c_only_additional_options="-Wstrict-prototypes" cpp_only_additional_options="-Wno-pmf-conversions"
        c_enforce_ansi_checking="No"/>
    <file file_name="main.cpp"/>
  </project>
</solution>)");
    const QStringList lines = build(solution);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(
        lines[0],
        QStringLiteral("/studio/gcc/bin/cc1plus -fno-exceptions -fmessage-length=0 "
                       "-mcpu=arm7tdmi -march=armv4t -mthumb-interwork -mbig-endian -nostdinc "
                       "-DBOARD=2 -DFAST -USLOW -isystem/studio/include "
                       "-isystem/packages/include -Iinc -I") +
            root + QStringLiteral("/shared -D__ARM_ARCH_4T__ ") + kDefinitions +
            QStringLiteral(" -MD Debug/main.d -MQ Debug/main.o -v -Wall "
                           "-Wno-pmf-conversions -O2 -fomit-frame-pointer -mlong-calls "
                           "-fno-builtin -ffunction-sections -fdata-sections ") +
            root + QStringLiteral("/main.cpp -o <tmp>"));
    EXPECT_EQ(lines.value(1), QStringLiteral("/studio/gcc/bin/as --traditional-format "
                                             "-mcpu=arm7tdmi -march=armv4t -mthumb-interwork -EB "
                                             "<tmp> -o Debug/main.o"));
}

TEST_F(ARMCommands, AssemblyFileIsPreprocessedThenAssembledWithDebugInformation)
{
    const QStringList lines =
        build(cortexM3Solution(QStringLiteral("build_treat_warnings_as_errors=\"Yes\""),
                               QStringLiteral("<file file_name=\"start.s\"/>")));
    const int at = lines.indexOf(QRegularExpression(QStringLiteral("^/studio/gcc/bin/cc1 -E .*")));
    ASSERT_GE(at, 0) << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines[at], QStringLiteral("/studio/gcc/bin/cc1 -E ") + kCortexM3Target +
                             QStringLiteral(" -nostdinc -isystem/studio/include "
                                            "-isystem/packages/include -I. -D__ARM_ARCH_7M__ ") +
                             kDefinitions +
                             QStringLiteral(" -MD Debug/start.d -MQ Debug/start.o -Werror "
                                            "-quiet -lang-asm ") +
                             root + QStringLiteral("/start.s -o <tmp>"));
    EXPECT_EQ(lines.value(at + 1), QStringLiteral("/studio/gcc/bin/as --traditional-format ") +
                                       kCortexM3AsmTarget +
                                       QStringLiteral(" <tmp> -o Debug/start.o --gdwarf2 "
                                                      "--fatal-warnings"));
    EXPECT_EQ(lines.value(at + 2), QStringLiteral("rm <tmp>"));
}

TEST_F(ARMCommands, RenamedSectionsAddTheRenamingPassBeforeTheAssembler)
{
    const QStringList lines = build(cortexM3Solution(
        QStringLiteral("default_code_section=\".fast\" arm_keep_assembly=\"Yes\"")));
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("/main.c -o Debug/main.asm")));
    EXPECT_EQ(lines[1],
              root + QStringLiteral("/install/bin/mungeas Debug/main.asm .fast .data .bss "
                                    ".rodata"));
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral(" Debug/main.asm -o Debug/main.o")));
    // The kept assembly is not a temporary file: nothing removes it.
    EXPECT_TRUE(lines.filter(QRegularExpression(QStringLiteral("^rm "))).isEmpty());
    EXPECT_TRUE(recorder.temporaries.isEmpty());
}

TEST_F(ARMCommands, LinkOptionsFollowTheirProperties)
{
    writeTextFile(root + QStringLiteral("/link.opt"),
                  QStringLiteral("/* extra options */\n--no-undefined  -z max-page-size=4 \n"));
    const QStringList lines = build(cortexM3Solution(QStringLiteral(
        "link_IOLibraryName=\"target\" build_quietly=\"No\" "
        "arm_linker_treat_warnings_as_errors=\"No\" "
        "arm_linker_no_warn_on_mismatch=\"Yes\" linker_additional_options=\"--cref\" "
        "linker_additional_options_from_file=\"link.opt\" build_remove_unused_symbols=\"Yes\" "
        "linker_map_file=\"No\" link_symbol_definitions=\"A=1;B=2\" linker_keep_symbols=\"v;w\" "
        "gcc_entry_point=\"start\" linker_output_format=\"hex\"")));
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[lines.size() - 2],
              QStringLiteral("/studio/gcc/bin/ld -X -e start --omagic -v --no-warn-mismatch --cref "
                             "--no-undefined -z max-page-size=4 -EL --gc-sections -T ") +
                  root +
                  QStringLiteral("/flash.ld --defsym A=1 --defsym B=2 -u v -u w -o Debug/app.elf "
                                 "--start-group Debug/main.o ") +
                  cortexM3Libraries(QStringLiteral("libc_targetio_impl")));
    EXPECT_EQ(lines.last(),
              QStringLiteral("/studio/gcc/bin/objcopy -Oihex Debug/app.elf Debug/app.hex"));
}

TEST_F(ARMCommands, LibrarySelectionFollowsTheTarget)
{
    struct Case
    {
        const char *settings;
        QStringList expected; // library names after the directory, in order
    };
    const Case cases[] = {
        {"arm_core_type=\"ARM7TDMI\" arm_architecture=\"v4T\" arm_instruction_set=\"ARM\" "
         "arm_library_instruction_set=\"ARM\" link_IOLibraryName=\"none\" "
         "arm_use_gcc_libraries=\"No\" linker_printf_width_precision_supported=\"No\" "
         "linker_scanf_fmt_level=\"long long\" "
         "linker_scanf_character_group_matching_enabled=\"Yes\"",
         {"libm_v4t_a_le.a", "libc_v4t_a_le.a", "libcpp_v4t_a_le.a", "libdebugio_v4t_a_le.a",
          "libdebugio_dcc_v4t_a_le.a", "lib_vfprintf_long_nwp_v4t_a_le.a",
          "lib_vfscanf_long_long_cc_v4t_a_le.a", "libralfp_v4t_a_le.a", "libc_user_libc_v4t_a_le.a",
          "libarm_v4t_a_le.a", "libarmdi_v4t_a_le.a"}},
        {"arm_core_type=\"XScale\" arm_architecture=\"v5TE\" arm_fp_abi=\"SoftFP\" "
         "arm_library_instruction_set=\"ARM\" arm_target_debug_interface_type=\"ADIv5\" "
         "cpp_enable_exceptions=\"Yes\" link_IOLibraryName=\"none\" arm_use_gcc_libraries=\"No\" "
         "linker_printf_fp_enabled=\"Yes\"",
         {"libm_v5te_vfp_a_le.a", "libc_v5te_vfp_a_le.a", "libcpp_v5te_vfp_a_le.a",
          "libdebugio_v5te_vfp_a_le.a", "libdebugio_mempoll_v5te_vfp_a_le.a",
          "lib_vfprintf_double_long_long_v5te_vfp_a_le.a", "lib_vfscanf_long_v5te_vfp_a_le.a",
          "libralfp_v5te_vfp_a_le.a", "libc_user_libc_v5te_vfp_a_le.a",
          "libgccxceptrtti_v5te_vfp_a_le.a", "libarm_v5te_vfp_a_le.a", "libadiv5_v5te_vfp_a_le.a",
          "libxscale_v5te_vfp_a_le.a", "libarmdi_v5te_vfp_a_le.a"}},
        {"link_include_standard_libraries=\"No\" link_standard_libraries_directory=\"/x\"", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.settings);
        recorder = CommandRecorder();
        const QStringList lines = build(cortexM3Solution(QLatin1String(c.settings)));
        const QString link = lines.filter(QStringLiteral("/studio/gcc/bin/ld ")).value(0);
        const QString libraries = link.section(QStringLiteral("Debug/main.o "), 1);
        EXPECT_EQ(libraries.split(u' ', Qt::SkipEmptyParts),
                  QStringList(c.expected)
                      .replaceInStrings(QRegularExpression(QStringLiteral("^")),
                                        QStringLiteral("/studio/lib/")));
    }
}

// A missing options file fails the pass that needs it, before its tool runs; an impossible
// debug I/O channel fails the link.
TEST_F(ARMCommands, ErrorsStopThePassThatMeetsThemAndTheLink)
{
    struct Case
    {
        const char *settings;
        const char *error;
        const char *tool; // the pass that must not run
    };
    const Case cases[] = {
        {"c_additional_options_from_file=\"missing.opt\"", "Cannot load options file: missing.opt",
         "/studio/gcc/bin/cc1 "},
        {"asm_additional_options_from_file=\"missing.opt\"",
         "Cannot load options file: missing.opt", "/studio/gcc/bin/as "},
        {"arm_link_debugio_type=\"DCC\"", "DebugIO error, core doesn't have a DCC",
         "/studio/gcc/bin/ld "},
        {"arm_core_type=\"ARM7TDMI\" arm_architecture=\"v4T\" arm_link_debugio_type=\"Breakpoint\"",
         "DebugIO error architecture doesn't have a breakpoint instruction", "/studio/gcc/bin/ld "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.settings);
        recorder = CommandRecorder();
        const QStringList lines = build(cortexM3Solution(QLatin1String(c.settings)));
        EXPECT_EQ(recorder.errors, QStringList{QLatin1String(c.error)});
        EXPECT_TRUE(lines.filter(QLatin1String(c.tool)).isEmpty())
            << lines.join(u'\n').toStdString();
        EXPECT_TRUE(lines.filter(QStringLiteral("/studio/gcc/bin/ld ")).isEmpty());
        EXPECT_TRUE(buildSystem->buildFailed);
    }
}

TEST_F(ARMCommands, ChosenPropertyGroupEntriesAddTheirDefinitions)
{
    writeTextFile(root + QStringLiteral("/groups.xml"), QStringLiteral(R"(<groups>
  <group name="board" default="small">
    <groupEntry name="small"><cdefine name="RAM_KB" value="16"/></groupEntry>
    <groupEntry name="big"><cdefine name="RAM_KB" value="64"/><cdefine name="BIG" value=""/></groupEntry>
  </group>
</groups>)"));
    const QStringList lines = build(
        cortexM3Solution(QStringLiteral("property_groups_file_path=\"groups.xml\" board=\"big\"")));
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines[0].contains(kDefinitions + QStringLiteral(" -DRAM_KB=64 -DBIG= -MD ")))
        << lines[0].toStdString();
}

TEST_F(ARMCommands, ChangedTargetPropertiesMakeTheirActionsOutOfDate)
{
    build(cortexM3Solution());
    ProjectElement *project = projectSystem->findProject(projectSystem->solutionElement(), "app");
    ProjectElement *file = projectSystem->findByName(projectSystem->solutionElement(), "main.c");
    ASSERT_TRUE(project && file);
    const QDateTime output = QDateTime::currentDateTime();
    struct Case
    {
        const char *property;
        StandardBuildSystem::BuildAction action;
        bool current;
    };
    using SBS = StandardBuildSystem;
    const Case cases[] = {
        {"arm_instruction_set", SBS::CompileCAction, false},
        {"arm_keep_assembly", SBS::AssembleAction, false},
        {"gcc_emit_assembler_cfi", SBS::CompileCppAction, false},
        {"arm_link_debugio_type", SBS::LinkAction, false},
        {"arm_linker_process_stack_size", SBS::LinkAction, false},
        {"gcc_entry_point", SBS::LinkAction, false},
        {"arm_endian", SBS::LinkAction, false},
        {"arm_link_debugio_type", SBS::CompileCAction, true},
        {"arm_keep_assembly", SBS::ArchiveAction, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.property);
        ProjectElement *common = project->getConfigurationElement(QStringLiteral("Common"));
        common->recordChange(QLatin1String(c.property), output.addSecs(5));
        ProjectElement *element =
            c.action == SBS::LinkAction || c.action == SBS::ArchiveAction ? project : file;
        recorder = CommandRecorder();
        EXPECT_EQ(standardBuildSystem->commandUpToDate(element, "Debug", output, c.action,
                                                       &recorder, false),
                  c.current);
        EXPECT_EQ(recorder.log.filter(QStringLiteral("property has changed.")).size(),
                  c.current ? 0 : 1);
        common->attributeTimes.remove(QLatin1String(c.property));
    }
}

TEST_F(ARMCommands, LinkPatchCommandRunsAfterTheLinkInItsDirectory)
{
    const QStringList lines = build(cortexM3Solution(QStringLiteral(
        "linker_patch_build_command=\"crcpatch &quot;$(TargetPath)&quot; -o $(ProjectName).crc\" "
        "linker_patch_build_command_wd=\"$(ProjectDir)/tools\"")));
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[lines.size() - 2].startsWith(QStringLiteral("/studio/gcc/bin/ld ")));
    EXPECT_EQ(lines.last(),
              QStringLiteral("crcpatch ") + root + QStringLiteral("/Debug/app.elf -o app.crc"));
    EXPECT_EQ(recorder.directories.last(), root + QStringLiteral("/tools"));
}

TEST_F(ARMCommands, PreprocessingForDisplayWritesATemporaryFile)
{
    build(cortexM3Solution(QString(), QStringLiteral("<file file_name=\"start.s\"/>")));
    auto *arm = static_cast<ARMBuildSystem *>(standardBuildSystem);
    ProjectElement *solution = projectSystem->solutionElement();
    arm->projectDirectory = root;

    recorder = CommandRecorder();
    const QString preprocessed =
        arm->preprocess(projectSystem->findByName(solution, "start.s"), "Debug", &recorder);
    ASSERT_FALSE(preprocessed.isEmpty());
    EXPECT_EQ(recorder.temporaries, QStringList{preprocessed});
    const QString line = recorder.lines().value(0);
    EXPECT_TRUE(line.startsWith(QStringLiteral("/studio/gcc/bin/cc1 -E -mcpu=cortex-m3 ")));
    EXPECT_TRUE(
        line.endsWith(QStringLiteral(" -lang-asm ") + root + QStringLiteral("/start.s -o <tmp>")))
        << line.toStdString();

    ProjectElement *script = projectSystem->findByName(solution, "flash.ld");
    EXPECT_TRUE(arm->preprocess(script, "Debug", &recorder).isNull());
}

TEST_F(ARMCommands, LibraryProjectIsArchivedAfresh)
{
    const QString solution = QStringLiteral(R"(<!DOCTYPE Quillmark_Project_File>
<solution Name="s" version="2">
  <configuration Name="Debug"/>
  <project Name="util">
    <configuration Name="Common" project_type="Library" arm_architecture="v7M"/>
    <file file_name="main.c"/>
    <file file_name="start.s"/>
  </project>
</solution>)");
    writeTextFile(root + QStringLiteral("/Debug/util.a"), QStringLiteral("old"));
    const QStringList lines = build(solution);
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[lines.size() - 2],
              QStringLiteral("rm ") + root + QStringLiteral("/Debug/util.a"));
    EXPECT_EQ(lines.last(),
              QStringLiteral("/studio/gcc/bin/ar -rcs Debug/util.a Debug/main.o Debug/start.o"));
}

} // namespace
