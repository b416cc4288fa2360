#include "macros/package_system.h"

#include "host/h_exception.h"
#include "macros/macro_system.h"
#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class PackageMacros : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        macroSystem.reset();
    }
    void TearDown() override { macroSystem.reset(); }

    QString dir() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

TEST_F(PackageMacros, PackageDirectoryIsExpandedAndCatalogueFilesCreated)
{
    macroSystem.setSystemMacro("StudioDir", dir() + "/inst");
    macroSystem.setGlobalMacro("StudioDir", "/global/wins/only/later");
    PackageSystem::setupPackageMacros("$(StudioDir)/../pkg");

    const QString packages = dir() + "/pkg";
    EXPECT_EQ(macroSystem.systemMacro("PackagesDir"), packages);
    EXPECT_EQ(macroSystem.systemMacro("TargetsDir"), packages + "/targets");
    EXPECT_EQ(macroSystem.systemMacro("SamplesDir"), packages + "/samples");
    EXPECT_EQ(readTextFile(packages + "/targets/project_templates.xml"),
              "<!DOCTYPE Project_Templates_File>\n"
              "<projects>\n"
              "  <include filename=\"$(StudioDir)/targets/project_templates.xml\" no_root=\"1\" />\n"
              "</projects>\n");
    EXPECT_EQ(readTextFile(packages + "/targets/frequencies.xml"),
              "<envelope>\n"
              "  <include filename=\"$(StudioDir)/targets/frequencies.xml\" />\n"
              "</envelope>\n");
}

// An existing catalogue is never overwritten. Where nothing can be created (a plain file where
// the targets directory should be, whatever the user's rights) setting up throws.
TEST_F(PackageMacros, ExistingCatalogueIsKeptAndAnUnwritableOneThrows)
{
    const QString templates = dir() + "/kept/targets/project_templates.xml";
    ASSERT_TRUE(writeTextFile(templates, "mine\n"));
    PackageSystem::setupPackageMacros(dir() + "/kept");
    EXPECT_EQ(readTextFile(templates), "mine\n");
    EXPECT_TRUE(QFile::exists(dir() + "/kept/targets/frequencies.xml"));

    ASSERT_TRUE(writeTextFile(dir() + "/targets", "x"));
    try {
        PackageSystem::setupPackageMacros(dir());
        FAIL() << "no exception";
    } catch (const HException &e) {
        EXPECT_EQ(e.message, "cannot create " + dir() + "/targets/project_templates.xml");
    }
}

} // namespace
