#include "settings/arm_quillmark_environment_settings.h"

#include "host/user_data_dir.h"
#include "macros/macro_system.h"
#include "project/property_class.h"
#include "project/property_value_list.h"
#include "settings/environment_property_value.h"
#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kGlobalMacrosKey = QStringLiteral("Environment/Macros/Global Macros");

// Each test gets its own user data directory and a fresh process-wide environment on it.
class Environment : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        setRootUserDataDir(m_dir.path());
        macroSystem.reset();
    }
    void TearDown() override
    {
        closeEnvironmentSettings();
        macroSystem.reset();
    }

    QString rootFile() const { return m_dir.path() + "/settings.xml"; }
    QString studioFile() const { return m_dir.path() + "/Tessary for ARM/settings.xml"; }
    void writeStudioFile(const QString &settings)
    {
        ASSERT_TRUE(writeTextFile(studioFile(), "<!DOCTYPE Tessary_Settings_File>\n<settings>\n"
                                                    + settings + "</settings>\n"));
    }
    // Ends the run (writing the files back) and starts the next one.
    void restart()
    {
        closeEnvironmentSettings();
        macroSystem.reset();
        openEnvironmentSettings();
    }

private:
    QTemporaryDir m_dir;
};

TEST_F(Environment, MacroDefinitionsAndUnknownEntriesPersistAcrossRuns)
{
    writeStudioFile("  <setting name=\"Some/Other Tool\">x &amp; y</setting>\n");
    openEnvironmentSettings();
    macroSystem.setGlobalMacro("A", "1");
    closeEnvironmentSettings();
    closeEnvironmentSettings(); // a second call does nothing
    const QString text = readTextFile(studioFile());
    EXPECT_TRUE(text.contains("<setting name=\"Some/Other Tool\">x &amp; y</setting>"));
    EXPECT_TRUE(text.contains("<setting name=\"" + kGlobalMacrosKey + "\">A=1</setting>"));
    EXPECT_TRUE(QFile::exists(rootFile()));

    restart();
    EXPECT_EQ(macroSystem.globalMacro("A"), "1");
    macroSystem.setGlobalMacro("Path", "a;b & <c>");
    restart();
    EXPECT_EQ(macroSystem.globalMacro("A"), "1");
    EXPECT_EQ(macroSystem.globalMacro("Path"), "a;b & <c>");

    macroSystem.setGlobalMacro("A", QString());
    restart();
    EXPECT_TRUE(macroSystem.globalMacro("A").isNull());
    EXPECT_EQ(macroSystem.globalMacro("Path"), "a;b & <c>");
}

TEST_F(Environment, PropertyValuesReadLazilyAndWriteThrough)
{
    const QString key = QStringLiteral("Environment/Debugger/Initial Breakpoint");
    writeStudioFile("  <setting name=\"" + key + "\">start</setting>\n");
    openEnvironmentSettings();
    auto *value = static_cast<EnvironmentPropertyValue *>(environment->findProperty(key));
    ASSERT_NE(value, nullptr);
    EXPECT_FALSE(value->loaded());
    EXPECT_EQ(value->propertyValue(), "start");
    EXPECT_TRUE(value->loaded());

    value->setPropertyValue("reset_handler");
    EXPECT_EQ(environment->readSetting(value->propertyClass()), "reset_handler");
    EXPECT_TRUE(environment->studioSettings().isDirty());
    environment->saveSettings();
    EXPECT_FALSE(environment->studioSettings().isDirty());
    EXPECT_TRUE(readTextFile(studioFile()).contains(
        "<setting name=\"" + key + "\">reset_handler</setting>"));

    value->removePropertyValue();
    EXPECT_EQ(value->propertyValue(), "main"); // the class default
    environment->saveSettings();
    EXPECT_FALSE(readTextFile(studioFile()).contains(key));
}

} // namespace
