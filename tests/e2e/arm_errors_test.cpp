// What a firmware build reports when it cannot go on: a compiler error, a missing options
// file, a link without a script, and a tool chain that is not there.
#include "arm_firmware.h"

#include "support/qt_printers.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class FirmwareErrors : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        dir = m_dir.path();
        ASSERT_TRUE(copyFixture(QStringLiteral("arm_errors"), dir));
    }

    RunResult build(const QString &project)
    {
        return runKestrel({"-config", "Debug", "-project", project, "errors.zav"}, dir,
                          dir + QStringLiteral("/user"));
    }

    QString dir;

private:
    QTemporaryDir m_dir;
};

TEST_F(FirmwareErrors, EachProblemIsReportedAndFailsTheBuild)
{
    struct Case
    {
        const char *project;
        const char *message;
    };
    const Case cases[] = {
        {"broken", "broken.c:3:12: error: 'undeclared_name' undeclared"},
        {"options", "    Cannot load options file: missing.opt\n"},
        {"noscript", "    no linker script or memory map file specified\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.project);
        const RunResult result = build(QLatin1String(c.project));
        EXPECT_EQ(result.status, 1);
        EXPECT_TRUE(result.out.contains(QLatin1String(c.message))) << qPrintable(result.out);
    }
}

TEST_F(FirmwareErrors, AMissingToolCannotBeExecuted)
{
    ASSERT_TRUE(writeTextFile(
        dir + QStringLiteral("/user/Tessary for ARM/settings.xml"),
        QStringLiteral("<!DOCTYPE Tessary_Settings_File>\n<settings>\n"
                       "<setting name=\"Environment/Build/Tool Chain Root Directory\">"
                       "/nonexistent/tools</setting>\n</settings>\n")));
    const RunResult result = build(QStringLiteral("noscript"));
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(
        result.out.contains(QStringLiteral("can't execute command \"/nonexistent/tools/cc1\"")))
        << qPrintable(result.out);
}

} // namespace
