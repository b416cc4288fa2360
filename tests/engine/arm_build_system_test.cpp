#include "command_recorder.h"

#include "engine/arm_build_system.h"
#include "host/qtx.h"
#include "project/project_element.h"

#include "support/qt_printers.h"

#include <QDateTime>
#include <QDir>
#include <QRegularExpression>

namespace {

const QString kMainAndScript = QStringLiteral(R"(<file file_name="main.c"/>
    <file file_name="flash.ld"><configuration Name="Common" file_type="Linker Script"/></file>)");

// A Cortex-M3 project; `extra` goes into the project's "Common" configuration, `files` into it.
QString solution(const QString &extra = QString(), const QString &files = kMainAndScript)
{
    return appSolution(R"(arm_core_type="Cortex-M3" arm_architecture="v7M"
        arm_instruction_set="Thumb" arm_library_instruction_set="Thumb"
        link_IOLibraryName="debug" )" + extra, files);
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

    QStringList buildAfresh(const QString &text)
    {
        recorder = CommandRecorder();
        return build(text);
    }
};

const QString kBin = QStringLiteral("/studio/gcc/bin/");
const QString kCortexM3Target = QStringLiteral(
    "-mcpu=cortex-m3 -march=armv7-m -mthumb -mthumb-interwork -mlittle-endian -mfpu=vfp "
    "-mfloat-abi=soft");
const QString kCortexM3AsmTarget = QStringLiteral(
    "-mcpu=cortex-m3 -march=armv7-m -mthumb -mthumb-interwork -EL -mfpu=vfp -mfloat-abi=soft");
const QString kDefinitions =
    QStringLiteral("-D__TESSARY_ARM -D__TESSARY_MAJOR_VERSION=2 -D__TESSARY_MINOR_VERSION=0 "
                   "-D__TESSARY_REVISION=4");
const QString kSearch = QStringLiteral("-isystem/studio/include -isystem/packages/include ");
const QString kCortexM3Preprocessor = kCortexM3Target + QStringLiteral(" -nostdinc ") + kSearch +
                                      QStringLiteral("-I. -D__ARM_ARCH_7M__ ") + kDefinitions;

QString cortexM3Libraries(const QString &io = QStringLiteral("libc_debugio_impl"))
{
    QStringList names{"libm", "libc", "libcpp", "libdebugio", "libdebugio_bkpt", io, "libgccfp",
                      "libc_user_libc", "libarm", "libarmdi"};
    names.removeAll(QString());
    return names.replaceInStrings(QRegularExpression(QStringLiteral("(.+)")),
                                  QStringLiteral("/studio/lib/\\1_v7m_t_le.a"))
        .join(u' ');
}

TEST_F(ARMCommands, CortexM3ProjectCompilesAssemblesAndLinksWithTheTargetsLibraries)
{
    const QStringList lines = build(solution());
    EXPECT_EQ(lines,
              (QStringList{kBin + "cc1 -fmessage-length=0 " + kCortexM3Preprocessor +
                               " -MD Debug/main.d -MQ Debug/main.o -quiet -gdwarf-2 -std=c99 "
                               "-fno-dwarf2-cfi-asm -fno-builtin " +
                               root + "/main.c -o <tmp>",
                           kBin + "as --traditional-format " + kCortexM3AsmTarget +
                               " <tmp> -o Debug/main.o",
                           "rm <tmp>",
                           kBin + "ld -X -e reset_handler --omagic --fatal-warnings -EL -T " +
                               root +
                               "/flash.ld -Map Debug/app.map -u _vectors -o Debug/app.elf "
                               "--start-group Debug/main.o " +
                               cortexM3Libraries()}));
    EXPECT_TRUE(recorder.errors.isEmpty());
    ASSERT_EQ(recorder.temporaries.size(), 1);
    EXPECT_TRUE(recorder.temporaries[0].startsWith(root + QStringLiteral("/Debug/")));
    EXPECT_FALSE(QFileInfo::exists(recorder.temporaries[0]));
    EXPECT_EQ(recorder.directories.value(0), root);
}

TEST_F(ARMCommands, ARM7TDMICppFileWithCompilerOptions)
{
    const QStringList lines = build(solution(
        QStringLiteral(
            R"(arm_core_type="ARM7TDMI" arm_architecture="v4T" arm_instruction_set="ARM"
        arm_endian="Big" arm_fp_abi="None" arm_long_calls="Yes" gcc_optimization_level="Level 2"
        gcc_omit_frame_pointer="Yes" gcc_emit_assembler_cfi="Yes" cpp_enable_rtti="Yes"
        build_remove_unused_symbols="Yes" build_debug_information="No" build_quietly="No"
        c_preprocessor_definitions="BOARD=2;FAST" c_preprocessor_undefinitions="SLOW"
        c_user_include_directories="inc;$(ProjectDir)/shared" c_additional_options="-Wall"
        c_only_additional_options="-Wstrict-prototypes" cpp_only_additional_options="-Wno-pmf-conversions"
        c_enforce_ansi_checking="No")"),
        QStringLiteral("<file file_name=\"main.cpp\"/>")));
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0], kBin + "cc1plus -fno-exceptions -fmessage-length=0 -mcpu=arm7tdmi "
                               "-march=armv4t -mthumb-interwork -mbig-endian -nostdinc -DBOARD=2 "
                               "-DFAST -USLOW " +
                            kSearch + "-Iinc -I" + root + "/shared -D__ARM_ARCH_4T__ " +
                            kDefinitions +
                            " -MD Debug/main.d -MQ Debug/main.o -v -Wall -Wno-pmf-conversions -O2 "
                            "-fomit-frame-pointer -mlong-calls -fno-builtin -ffunction-sections "
                            "-fdata-sections " +
                            root + "/main.cpp -o <tmp>");
    EXPECT_EQ(lines[1], kBin + "as --traditional-format -mcpu=arm7tdmi -march=armv4t "
                               "-mthumb-interwork -EB <tmp> -o Debug/main.o");
}

// Steps that add passes or change the link: each case's lines must appear, in a row, in the
// build; `last` means they end it.
TEST_F(ARMCommands, OptionalPassesAndLinkOptionsFollowTheirProperties)
{
    writeTextFile(root + QStringLiteral("/link.opt"),
                  QStringLiteral("/* extra options */\n--no-undefined  -z max-page-size=4 \n"));
    writeTextFile(root + QStringLiteral("/groups.xml"), QStringLiteral(R"(<groups>
  <group name="board" default="small">
    <groupEntry name="small"><cdefine name="RAM_KB" value="16"/></groupEntry>
    <groupEntry name="big"><cdefine name="RAM_KB" value="64"/><cdefine name="BIG" value=""/></groupEntry>
  </group>
</groups>)"));
    struct Case
    {
        const char *settings;
        QString files;
        QStringList expected;
        bool last;
    };
    const Case cases[] = {
        // Assembly is preprocessed, then assembled with debug information.
        {"build_treat_warnings_as_errors=\"Yes\"",
         kMainAndScript + "<file file_name=\"start.s\"/>",
         {kBin + "cc1 -E " + kCortexM3Preprocessor +
              " -MD Debug/start.d -MQ Debug/start.o -Werror -quiet -lang-asm " + root +
              "/start.s -o <tmp>",
          kBin + "as --traditional-format " + kCortexM3AsmTarget +
              " <tmp> -o Debug/start.o --gdwarf2 --fatal-warnings",
          "rm <tmp>"},
         false},
        // Renamed sections add a renaming pass; the kept assembly is no temporary file.
        {"default_code_section=\".fast\" arm_keep_assembly=\"Yes\"",
         kMainAndScript,
         {kBin + "cc1 -fmessage-length=0 " + kCortexM3Preprocessor +
              " -MD Debug/main.d -MQ Debug/main.o -quiet -gdwarf-2 -std=c99 -fno-dwarf2-cfi-asm "
              "-fno-builtin " +
              root + "/main.c -o Debug/main.asm",
          root + "/install/bin/mungeas Debug/main.asm .fast .data .bss .rodata",
          kBin + "as --traditional-format " + kCortexM3AsmTarget +
              " Debug/main.asm -o Debug/main.o"},
         false},
        {"link_IOLibraryName=\"target\" build_quietly=\"No\" "
         "arm_linker_treat_warnings_as_errors=\"No\" arm_linker_no_warn_on_mismatch=\"Yes\" "
         "linker_additional_options=\"--cref\" linker_additional_options_from_file=\"link.opt\" "
         "build_remove_unused_symbols=\"Yes\" linker_map_file=\"No\" "
         "link_symbol_definitions=\"A=1;B=2\" linker_keep_symbols=\"v;w\" "
         "gcc_entry_point=\"start\" linker_output_format=\"hex\"",
         kMainAndScript,
         {kBin + "ld -X -e start --omagic -v --no-warn-mismatch --cref --no-undefined -z "
                 "max-page-size=4 -EL --gc-sections -T " +
              root +
              "/flash.ld --defsym A=1 --defsym B=2 -u v -u w -o Debug/app.elf --start-group "
              "Debug/main.o " +
              cortexM3Libraries(QStringLiteral("libc_targetio_impl")),
          kBin + "objcopy -Oihex Debug/app.elf Debug/app.hex"},
         true},
        // The chosen property group entry adds its definitions.
        {"property_groups_file_path=\"groups.xml\" board=\"big\"",
         "<file file_name=\"main.c\"/>",
         {kBin + "cc1 -fmessage-length=0 " + kCortexM3Preprocessor +
              " -DRAM_KB=64 -DBIG= -MD Debug/main.d -MQ Debug/main.o -quiet -gdwarf-2 -std=c99 "
              "-fno-dwarf2-cfi-asm -fno-builtin " +
              root + "/main.c -o <tmp>"},
         false},
        // A library project is archived afresh.
        {"project_type=\"Library\"",
         "<file file_name=\"main.c\"/><file file_name=\"start.s\"/>",
         {"rm " + root + "/Debug/app.a",
          kBin + "ar -rcs Debug/app.a Debug/main.o Debug/start.o"},
         true},
    };
    writeTextFile(root + QStringLiteral("/Debug/app.a"), QStringLiteral("old"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.settings);
        const QStringList lines = buildAfresh(solution(QLatin1String(c.settings), c.files));
        const qsizetype at = lines.indexOf(c.expected.value(0));
        ASSERT_GE(at, 0) << lines.join(u'\n').toStdString();
        EXPECT_EQ(lines.mid(at, c.expected.size()), c.expected);
        if (c.last) {
            EXPECT_EQ(at + c.expected.size(), lines.size());
        }
    }
    // The kept assembly of the renaming case is not removed.
    buildAfresh(solution("default_code_section=\".fast\" arm_keep_assembly=\"Yes\""));
    EXPECT_TRUE(recorder.lines().filter(QRegularExpression(QStringLiteral("^rm "))).isEmpty());
    EXPECT_TRUE(recorder.temporaries.isEmpty());
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
        const QStringList lines = buildAfresh(solution(QLatin1String(c.settings)));
        const QString link = lines.filter(kBin + "ld ").value(0);
        EXPECT_EQ(link.section(QStringLiteral("Debug/main.o "), 1).split(u' ', Qt::SkipEmptyParts),
                  QStringList(c.expected)
                      .replaceInStrings(QRegularExpression("^"), "/studio/lib/"));
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
         "cc1 "},
        {"asm_additional_options_from_file=\"missing.opt\"",
         "Cannot load options file: missing.opt", "as "},
        {"arm_link_debugio_type=\"DCC\"", "DebugIO error, core doesn't have a DCC", "ld "},
        {"arm_core_type=\"ARM7TDMI\" arm_architecture=\"v4T\" arm_link_debugio_type=\"Breakpoint\"",
         "DebugIO error architecture doesn't have a breakpoint instruction", "ld "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.settings);
        const QStringList lines = buildAfresh(solution(QLatin1String(c.settings)));
        EXPECT_EQ(recorder.errors, QStringList{QLatin1String(c.error)});
        EXPECT_TRUE(lines.filter(kBin + c.tool).isEmpty()) << lines.join(u'\n').toStdString();
        EXPECT_TRUE(lines.filter(kBin + "ld ").isEmpty());
        EXPECT_TRUE(buildSystem->buildFailed);
    }
}

TEST_F(ARMCommands, ChangedTargetPropertiesMakeTheirActionsOutOfDate)
{
    build(solution());
    ProjectElement *project = projectSystem->findProject(projectSystem->solutionElement(), "app");
    ProjectElement *file = projectSystem->findByName(projectSystem->solutionElement(), "main.c");
    ASSERT_TRUE(project && file);
    const QDateTime output = QDateTime::currentDateTime();
    using SBS = StandardBuildSystem;
    const struct
    {
        const char *property;
        SBS::BuildAction action;
        bool current;
    } cases[] = {
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
    for (const auto &c : cases) {
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
    const QStringList lines = build(solution(QStringLiteral(
        "linker_patch_build_command=\"crcpatch &quot;$(TargetPath)&quot; -o $(ProjectName).crc\" "
        "linker_patch_build_command_wd=\"$(ProjectDir)/tools\"")));
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[lines.size() - 2].startsWith(kBin + "ld "));
    EXPECT_EQ(lines.last(),
              QStringLiteral("crcpatch ") + root + QStringLiteral("/Debug/app.elf -o app.crc"));
    EXPECT_EQ(recorder.directories.last(), root + QStringLiteral("/tools"));
}

TEST_F(ARMCommands, PreprocessingForDisplayWritesATemporaryFile)
{
    build(solution(QString(), kMainAndScript + "<file file_name=\"start.s\"/>"));
    auto *arm = static_cast<ARMBuildSystem *>(standardBuildSystem);
    ProjectElement *solution = projectSystem->solutionElement();
    arm->projectDirectory = root;

    recorder = CommandRecorder();
    const QString preprocessed =
        arm->preprocess(projectSystem->findByName(solution, "start.s"), "Debug", &recorder);
    ASSERT_FALSE(preprocessed.isEmpty());
    EXPECT_EQ(recorder.temporaries, QStringList{preprocessed});
    EXPECT_EQ(recorder.lines(), QStringList{kBin + "cc1 -E " + kCortexM3Preprocessor +
                                            " -MD Debug/start.d -MQ Debug/start.o -quiet "
                                            "-lang-asm " +
                                            root + "/start.s -o <tmp>"});
    EXPECT_TRUE(
        arm->preprocess(projectSystem->findByName(solution, "flash.ld"), "Debug", &recorder)
            .isNull());
}

} // namespace
