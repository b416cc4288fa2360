// The installation root a build tree is: the tool chain passes, headers and run-time libraries
// that firmware builds rely on.
#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kRoot = QStringLiteral(KESTREL_ROOT_DIR);

QString tool(const char *name)
{
    return kRoot + QStringLiteral("/gcc/bin/") + QLatin1String(name);
}

class Installation : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QTemporaryDir dir;
};

TEST_F(Installation, HeadersCompileOrdinaryCAndCpp)
{
    QString source;
    for (const char *header : {"stdio", "stdlib", "string", "stdint", "stddef", "stdarg",
                               "stdbool", "limits", "float", "math", "ctype", "errno", "time",
                               "debugio"})
        source += QStringLiteral("#include <%1.h>\n").arg(QLatin1String(header));
    source += R"(#if INT_MAX != 2147483647 || CHAR_BIT != 8 || !defined(PATH_MAX) || UINT32_MAX != 4294967295u
#error "limits are wrong"
#endif
int f(void) { return (int)sizeof(size_t) + (int)INT8_MIN; }
)";
    for (const char *pass : {"cc1", "cc1plus"}) {
        SCOPED_TRACE(pass);
        ASSERT_TRUE(writeTextFile(dir.filePath("headers.c"), source));
        const RunResult result =
            runProgram(tool(pass),
                       {"-quiet", "-mcpu=cortex-m3", "-mthumb", "-nostdinc",
                        "-isystem" + kRoot + "/include", "headers.c", "-o", "headers.s"},
                       dir.path());
        EXPECT_EQ(result.status, 0) << qPrintable(result.err);
    }
}

TEST_F(Installation, SectionRenamingOfCompiledCodeIsAcceptedByTheAssembler)
{
    ASSERT_TRUE(writeTextFile(dir.filePath("code.c"),
                              "int counter = 1; int zeroed; const int table[] = {1, 2};\n"
                              "const char *name(void) { return \"x\"; }\n"));
    ASSERT_EQ(runProgram(tool("cc1"),
                         {"-quiet", "-mthumb", "-mcpu=cortex-m3", "-nostdinc",
                          "-ffunction-sections", "code.c", "-o", "code.s"},
                         dir.path())
                  .status,
              0);
    const RunResult renamed = runProgram(
        kRoot + "/bin/mungeas", {"code.s", ".fast", ".iram", ".izero", ".flashconst"}, dir.path());
    ASSERT_EQ(renamed.status, 0) << qPrintable(renamed.err);
    const RunResult assembled = runProgram(
        tool("as"), {"-mthumb", "-mcpu=cortex-m3", "code.s", "-o", "code.o"}, dir.path());
    ASSERT_EQ(assembled.status, 0) << qPrintable(assembled.err);

    const QString readelf = QStandardPaths::findExecutable("arm-none-eabi-readelf");
    if (readelf.isEmpty())
        GTEST_SKIP() << "arm-none-eabi-readelf is not installed";
    const QString sections = runProgram(readelf, {"-S", "-W", "code.o"}, dir.path()).out;
    for (const char *name : {" .fast.name ", " .iram ", " .izero ", " .flashconst "})
        EXPECT_TRUE(sections.contains(QLatin1String(name))) << name << qPrintable(sections);
    EXPECT_FALSE(sections.contains(QLatin1String(" .text.name "))) << qPrintable(sections);
    EXPECT_FALSE(sections.contains(QLatin1String(" .rodata"))) << qPrintable(sections);
    // The assembler always makes .text, .data and .bss; nothing may be left in them.
    for (const char *name : {"text", "data", "bss"}) {
        const QRegularExpression line(
            QStringLiteral("\\] \\.%1\\s+\\S+\\s+\\S+\\s+\\S+\\s+(\\S+)").arg(QLatin1String(name)));
        EXPECT_EQ(line.match(sections).captured(1), QStringLiteral("000000")) << name;
    }
}

TEST(InstallationLibraries, EveryLibraryALinkCanSelectExistsForEveryVariant)
{
    const char *variants[] = {"_v4t_a_le",  "_v4t_t_le",      "_v4_a_le",  "_v5te_a_le",
                              "_v5te_t_le", "_v5te_vfp_a_le", "_v6_a_le",  "_v6t2_t_le",
                              "_v6m_t_le",  "_v6m_a_le",      "_v7m_t_le", "_v7m_a_le"};
    QStringList names =
        QStringLiteral("libm libc libcpp libdebugio libdebugio_mempoll libc_targetio_impl "
                       "libc_debugio_impl libralfp libgccfp libc_user_libc libgccxceptrtti "
                       "libarm libadiv5 libxscale libarmdi lib_vfprintf_ lib_vfprintf__nwp "
                       "lib_vfscanf_ lib_vfscanf__cc")
            .split(u' ');
    for (const char *level : {"long", "long_long", "double_long_long"})
        names << QStringLiteral("lib_vfprintf_%1").arg(level)
              << QStringLiteral("lib_vfprintf_%1_nwp").arg(level)
              << QStringLiteral("lib_vfscanf_%1").arg(level)
              << QStringLiteral("lib_vfscanf_%1_cc").arg(level);
    for (const char *variant : variants) {
        const QString v = QLatin1String(variant);
        QStringList expected = names;
        // The breakpoint channel needs v5T or later; the DCC one an ARM7/ARM9-class core.
        if (!v.startsWith("_v4"))
            expected << "libdebugio_bkpt";
        if (!v.startsWith("_v6m") && !v.startsWith("_v7m"))
            expected << "libdebugio_dcc";
        for (const QString &name : expected) {
            QFile archive(kRoot + "/lib/" + name + v + ".a");
            ASSERT_TRUE(archive.open(QIODevice::ReadOnly)) << qPrintable(archive.fileName());
            EXPECT_EQ(archive.read(8), QByteArray("!<arch>\n")) << qPrintable(archive.fileName());
        }
    }
}

} // namespace
