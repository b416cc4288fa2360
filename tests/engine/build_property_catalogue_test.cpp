#include "engine/build_property_catalogue.h"

#include "engine/build_system.h"
#include "project/property_class.h"
#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace {

// Every test gets a fresh catalogue with no build options file, registered in the process
// registry and taken out again when the test ends.
class BuildPropertyCatalogueTest : public ::testing::Test
{
protected:
    void SetUp() override { catalogue = std::make_unique<BuildPropertyCatalogue>(QStringList(), ""); }

    QList<const PropertyClass *> registered(const QString &name) const
    {
        QList<const PropertyClass *> found;
        for (const PropertyClass *p : BuildSystem::propertyClasses())
            if (p->saveName() == name)
                found.append(p);
        return found;
    }

    std::unique_ptr<BuildPropertyCatalogue> catalogue;
};

struct Entry
{
    const char *name;
    PropertyClass::Type type;
    const char *page;
    const char *group;
    const char *title;
    const char *defaultValue;
};

TEST_F(BuildPropertyCatalogueTest, RepresentativeEntriesHaveTheirTypePageGroupTitleAndDefault)
{
    const Entry entries[] = {
        {"build_intermediate_directory", PropertyClass::FileName, "Build", "Build Options",
         "Intermediate Directory", "$(Configuration)"},
        {"arm_fp_abi", PropertyClass::Enumeration, "C/C++", "Code Generation Options",
         "ARM FP ABI Type", "Soft"},
        {"external_build_file_name", PropertyClass::ProjFileName, "External Build",
         "External Build Options", "Executable File", ""},
        {"arm_linker_irq_stack_size", PropertyClass::IntegerRange, "Linker",
         "Runtime Memory Area Options", "Stack Size (IRQ Mode)", "256"},
        {"arm_target_loader_can_lock_all", PropertyClass::Boolean, "Debugger",
         "Target Loader Options", "Can Lock All", "Yes"},
    };
    for (const Entry &e : entries) {
        SCOPED_TRACE(e.name);
        const PropertyClass *p = BuildSystem::findPropertyClass(e.name);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->type(), e.type);
        EXPECT_EQ(p->page(), e.page);
        EXPECT_EQ(p->group(), e.group);
        EXPECT_EQ(p->shortDescription(), e.title);
        EXPECT_EQ(p->defaultValue(), e.defaultValue);
        EXPECT_FALSE(p->defaultValue().isNull());
        EXPECT_TRUE(p->perConfiguration());
        EXPECT_FALSE(p->readOnly());
    }
}

TEST_F(BuildPropertyCatalogueTest, DuplicatedNamesHaveTwoClassesAndLookupFindsTheFirst)
{
    using Classes = QList<const PropertyClass *>;
    const BuildPropertyCatalogue &c = *catalogue;
    EXPECT_EQ(registered("build_output_file_name"),
              (Classes{c.build_output_file_name, c.build_output_file_name_library}));
    EXPECT_EQ(BuildSystem::findPropertyClass("build_output_file_name"), c.build_output_file_name);
    EXPECT_EQ(c.build_output_file_name->page(), "Linker");
    EXPECT_EQ(c.build_output_file_name->defaultValue(), "$(OutDir)/$(ProjectName)$(EXE)");
    EXPECT_EQ(c.build_output_file_name_library->page(), "Library");
    EXPECT_EQ(c.build_output_file_name_library->shortDescription(), "Library File Name");
    EXPECT_EQ(c.build_output_file_name_library->defaultValue(), "$(OutDir)/$(ProjectName)$(LIB)");
    EXPECT_EQ(registered("arm_linker_stack_size"),
              (Classes{c.arm_linker_stack_size, c.arm_linker_main_stack_size}));
    EXPECT_EQ(c.arm_linker_stack_size->shortDescription(), "Stack Size (User/System Mode)");
    EXPECT_EQ(c.arm_linker_main_stack_size->shortDescription(), "Main Stack Size");
    const PropertyClass *keep = c.linker_keep_symbols, *again = c.linker_keep_symbols_again;
    EXPECT_EQ(registered("linker_keep_symbols"), (Classes{keep, again}));
    EXPECT_EQ(keep->shortDescription(), again->shortDescription());
    EXPECT_EQ(keep->longDescription(), again->longDescription());
    EXPECT_EQ(keep->defaultValue(), again->defaultValue());
}

TEST_F(BuildPropertyCatalogueTest, NoOtherNameIsRegisteredTwiceAndEveryClassIsDescribed)
{
    const QSet<QString> duplicated{"build_output_file_name", "arm_linker_stack_size",
                                   "linker_keep_symbols"};
    QSet<QString> seen;
    for (const PropertyClass *p : catalogue->classes()) {
        SCOPED_TRACE(p->saveName().toStdString());
        EXPECT_FALSE(p->page().isEmpty());
        EXPECT_FALSE(p->group().isEmpty());
        EXPECT_FALSE(p->shortDescription().isEmpty());
        EXPECT_FALSE(p->longDescription().isEmpty());
        if (seen.contains(p->saveName())) {
            EXPECT_TRUE(duplicated.contains(p->saveName()));
        }
        seen.insert(p->saveName());
    }
    EXPECT_EQ(catalogue->classes().size(), seen.size() + duplicated.size());
}

TEST(BuildPropertyCatalogue, LoadFileTypesFollowDetectInBothEnumerationsAndTheirHelp)
{
    BuildPropertyCatalogue catalogue({"Intel Hex", "Binary"}, "");
    for (const PropertyClass *p :
         {catalogue.external_load_file_type, catalogue.debug_additional_load_file_type}) {
        SCOPED_TRACE(p->saveName().toStdString());
        EXPECT_EQ(p->enumerates(), QStringList({"Detect", "Intel Hex", "Binary"}));
        EXPECT_EQ(p->defaultValue(), "Detect");
        EXPECT_TRUE(p->longDescription().endsWith(
            "The options are <b>Detect, Intel Hex, Binary</b>."));
    }
}

// Two catalogues alive at once register the same names; the one that goes first must take out
// its own classes, not the other's, which stays whole and first in every lookup.
TEST(BuildPropertyCatalogue, DestroyingACatalogueUnregistersOnlyItsOwnClasses)
{
    const qsizetype before = BuildSystem::propertyClasses().size();
    {
        BuildPropertyCatalogue first(QStringList(), "");
        const PropertyClass *output = BuildSystem::findPropertyClass("build_output_file_name");
        const qsizetype withFirst = BuildSystem::propertyClasses().size();
        EXPECT_GT(withFirst, before + 150);
        {
            BuildPropertyCatalogue second(QStringList(), "");
            EXPECT_EQ(BuildSystem::propertyClasses().size(), 2 * withFirst - before);
        }
        EXPECT_EQ(BuildSystem::propertyClasses().size(), withFirst);
        EXPECT_EQ(BuildSystem::findPropertyClass("build_output_file_name"), output);
        for (const PropertyClass *p : BuildSystem::propertyClasses())
            EXPECT_FALSE(p->saveName().isEmpty()); // no dangling class
    }
    EXPECT_EQ(BuildSystem::propertyClasses().size(), before);
    EXPECT_EQ(BuildSystem::findPropertyClass("build_output_file_name"), nullptr);
}

TEST(BuildPropertyCatalogue, BuildOptionsFileSortsItsClassesByTool)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("build_options.xml");
    ASSERT_TRUE(writeTextFile(
        file, "<options>\n"
              "  <property name=\"x_compiler_flag\" tool=\"compiler\" type=\"String\"/>\n"
              "  <property name=\"x_linker_flag\" tool=\"linker\" type=\"StringList\"/>\n"
              "  <property name=\"x_other\" tool=\"debugger\" type=\"Enumeration\"\n"
              "            enumeration=\"a;b\" default=\"b\" group=\"Extras\"/>\n"
              "  <property name=\"x_untooled\" type=\"String\"/>\n"
              "</options>\n"));
    BuildPropertyCatalogue catalogue(QStringList(), file);

    ASSERT_EQ(catalogue.compilerToolProperties.size(), 1);
    EXPECT_EQ(catalogue.compilerToolProperties[0]->saveName(), "x_compiler_flag");
    EXPECT_EQ(catalogue.compilerToolProperties[0]->type(), PropertyClass::String);
    ASSERT_EQ(catalogue.linkerToolProperties.size(), 1);
    EXPECT_EQ(catalogue.linkerToolProperties[0]->type(), PropertyClass::StringList);
    EXPECT_EQ(BuildSystem::findPropertyClass("x_compiler_flag"), nullptr);
    EXPECT_EQ(BuildSystem::findPropertyClass("x_linker_flag"), nullptr);
    EXPECT_EQ(BuildSystem::findPropertyClass("x_untooled"), nullptr);

    const PropertyClass *other = BuildSystem::findPropertyClass("x_other");
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->enumerates(), QStringList({"a", "b"}));
    EXPECT_EQ(other->defaultValue(), "b");
    EXPECT_EQ(BuildSystem::propertyClasses().last(), other);
}

TEST(BuildPropertyCatalogue, MissingOrBrokenBuildOptionsFileIsIgnored)
{
    QTemporaryDir dir;
    const QString broken = dir.filePath("broken.xml");
    ASSERT_TRUE(writeTextFile(broken, "<options><property name='single quotes'/></options>"));
    for (const QString &file : {dir.filePath("missing.xml"), broken}) {
        SCOPED_TRACE(file.toStdString());
        BuildPropertyCatalogue catalogue(QStringList(), file);
        EXPECT_TRUE(catalogue.compilerToolProperties.isEmpty());
        EXPECT_EQ(BuildSystem::propertyClasses().last()->saveName(),
                  "arm_simulator_run_target_loader");
    }
}

} // namespace
