// An ARM7TDMI firmware (ARMv4T, ARM code calling Thumb code through interworking) with
// preprocessed assembly start-up code and its own linker script.
#include "arm_firmware.h"

#include "support/qt_printers.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ARM7TDMIFirmware : public ::testing::TestWithParam<const char *>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        dir = m_dir.path();
        ASSERT_TRUE(copyFixture(QStringLiteral("arm_arm7tdmi"), dir));
    }

    QString dir;

private:
    QTemporaryDir m_dir;
};

// The symbol table of the linked firmware, as the tool chain's readelf shows it.
QString symbols(const QString &elf, const QString &dir)
{
    const QString readelf = QStandardPaths::findExecutable(QStringLiteral("arm-none-eabi-readelf"));
    return readelf.isEmpty() ? QString() : runProgram(readelf, {"-s", elf}, dir).out;
}

TEST_P(ARM7TDMIFirmware, LinksARMAndThumbCodeWithAnInterworkingVeneer)
{
    const QString config = QLatin1String(GetParam());
    const RunResult result =
        runKestrel({"-config", config, "arm7.zav"}, dir, dir + QStringLiteral("/user"));
    ASSERT_EQ(result.status, 0) << qPrintable(result.out) << qPrintable(result.err);
    EXPECT_EQ(steps(result.out), (QStringList{"Assembling startup.s", "Compiling main.c",
                                              "Compiling thumb_part.c", "Linking blinky.elf"}));
    const QString elf = config + QStringLiteral("/blinky.elf");
    EXPECT_TRUE(QFileInfo(dir + u'/' + config + QStringLiteral("/blinky.bin")).size() > 0);

    const QString table = symbols(elf, dir);
    if (table.isEmpty())
        GTEST_SKIP() << "arm-none-eabi-readelf is not installed";
    // Thumb functions have odd addresses; ARM ones even; the ARM caller reaches the Thumb
    // function through a veneer the linker made.
    auto address = [&](const char *name) {
        const QRegularExpression line(
            QStringLiteral(": ([0-9a-f]{8}) .* FUNC .* %1\\n").arg(QLatin1String(name)));
        return line.match(table).captured(1).toUInt(nullptr, 16);
    };
    EXPECT_EQ(address("thumb_sum") & 1, 1u);
    EXPECT_NE(address("main"), 0u);
    EXPECT_EQ(address("main") & 1, 0u);
    EXPECT_EQ(address("reset_handler") & 1, 0u);
    EXPECT_TRUE(table.contains(QStringLiteral("__thumb_sum_from_arm")));
}

INSTANTIATE_TEST_SUITE_P(Configurations, ARM7TDMIFirmware, ::testing::Values("Debug", "Release"));

} // namespace
