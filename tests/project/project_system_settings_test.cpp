#include "solution_fixture.h"

#include "project/property_class.h"
#include "project/property_inheritance_information.h"

namespace {

class SettingsTest : public SolutionFixture
{
protected:
    // One solution, project P with folder F and file main.c, and the configurations
    // Debug (inheriting "Flash;RAM"), Flash, RAM and the hidden Base.
    ProjectElement *loadStandard(const QString &solutionValues, const QString &projectValues,
                                 const QString &folderValues, const QString &fileValues)
    {
        ProjectElement *s = load(QString(R"(
            <configuration Name="Debug" inherited_configurations="Flash;RAM"/>
            <configuration Name="Flash"/><configuration Name="RAM"/>
            <configuration Name="Base" hidden="Yes"/>%1
            <project Name="P">%2<folder Name="F">%3<file file_name="main.c">%4</file>
              <file file_name="other.c"/></folder></project>)")
                                     .arg(solutionValues, projectValues, folderValues, fileValues));
        file = system->findByName(s, "main.c");
        other = system->findByName(s, "other.c");
        return s;
    }

    PropertyClass text{"x", PropertyClass::String, "", "", "", "", "dflt"};
    PropertyClass list{"x", PropertyClass::StringList, "", "", "", "", "dflt"};
    ProjectElement *file = nullptr;
    ProjectElement *other = nullptr;
};

} // namespace

TEST_F(SettingsTest, AtOneNodeTheConfigurationBeatsItsInheritedOnesWhichBeatCommon)
{
    const std::pair<const char *, const char *> cases[] = {
        {R"(<configuration Name="Debug" x="d"/><configuration Name="Flash" x="f"/><configuration Name="Common" x="c"/>)",
         "d"},
        {R"(<configuration Name="RAM" x="r"/><configuration Name="Flash" x="f"/><configuration Name="Common" x="c"/>)",
         "f"},
        {R"(<configuration Name="RAM" x="r"/><configuration Name="Common" x="c"/>)", "r"},
        {R"(<configuration Name="Common" x="c"/>)", "c"},
        {R"(<configuration Name="Debug" x=""/><configuration Name="Common" x="c"/>)", ""},
        {R"(<configuration Name="Release" x="other"/>)", "p"},
    };
    for (const auto &[fileValues, expected] : cases) {
        SCOPED_TRACE(fileValues);
        loadStandard("", R"(<configuration Name="Debug" x="p"/>)", "", fileValues);
        const QString value = system->settingFor(file, &text, "Debug");
        EXPECT_EQ(value, expected);
        EXPECT_FALSE(value.isNull());
    }
}

// Inheritance is not transitive, and a nested solution uses its enclosing solution's.
TEST_F(SettingsTest, InheritanceIsNotTransitiveAndReachesIntoImports)
{
    write("lib.zav",
          solutionText(R"(<project Name="L"><configuration Name="Flash" x="lf"/></project>)",
                       R"(Name="Lib" version="2")"));
    load(R"(<configuration Name="Debug" inherited_configurations="A;Flash"/>
            <configuration Name="A" inherited_configurations="B"/>
            <configuration Name="B" x="b"/>
            <project Name="P"><configuration Name="Common" y="1"/></project>
            <import file_name="lib.zav"/>)");
    ProjectElement *p = system->findProject(system->solutionElement(), "P");
    EXPECT_EQ(system->settingFor(p, &text, "Debug"), "dflt");
    EXPECT_EQ(system->settingFor(p, &text, "A"), "b");
    ProjectElement *l = system->findProject(system->solutionElement(), "L(Lib)");
    EXPECT_EQ(system->settingFor(l, &text, "Debug"), "lf");
}

TEST_F(SettingsTest, ListsCollectEveryLevelMostSpecificFirst)
{
    loadStandard(R"(<configuration Name="Common" x="c"/>)",
                 R"(<configuration Name="Debug" x="a;b"/><configuration Name="Common" x="pc"/>)",
                 "", "");
    EXPECT_EQ(system->settingFor(file, &list, "Debug"), "a;b;pc;c");
    // A "Common" lookup reads only "Common".
    EXPECT_EQ(system->settingFor(file, &text, "Common"), "pc");
    EXPECT_EQ(system->settingFor(file, &list, "Common"), "pc;c");

    loadStandard(R"(<configuration Name="Common" x="s"/>)",
                 R"(<configuration Name="Flash" x="pf"/><configuration Name="Common" x="pc"/>)",
                 R"(<configuration Name="Debug" x=""/>)",
                 R"(<configuration Name="RAM" x="r"/><configuration Name="Debug" x="d"/>)");
    // An empty value found after others leaves an empty item; found first, it leaves no trace.
    // The inheritance information lists what the lookup passed, but not the "Common" reads.
    PropertyInheritanceInformation info;
    EXPECT_EQ(system->settingFor(file, &list, "Debug", &info), "d;r;;pf;pc;s");
    QStringList passed;
    for (const auto &step : info)
        passed << step.value + '@' + step.configuration + '@' + step.node->getName();
    EXPECT_EQ(passed, (QStringList{"d@Debug@main.c", "r@RAM@main.c", "@Debug@F", "pf@Flash@P"}));
    // The same through the cache, where the file's values are joined to its folder's result.
    EXPECT_EQ(system->settingFor(file, &list, "Debug"), "d;r;;pf;pc;s");
    EXPECT_EQ(system->settingFor(other, &list, "Debug"), "pf;pc;s");
}

TEST_F(SettingsTest, ThePropertyDefaultIsTheLastResort)
{
    loadStandard("", "", "", "");
    PropertyInheritanceInformation info;
    EXPECT_EQ(system->settingFor(file, &text, "Debug", &info), "dflt");
    ASSERT_EQ(info.size(), 1);
    EXPECT_EQ(info[0].value, "dflt");
    EXPECT_TRUE(info[0].configuration.isEmpty());
    EXPECT_EQ(info[0].node, nullptr);
    EXPECT_EQ(system->settingFor(file, &list, "Debug"), "dflt");

    ProjectElement lonely("file");
    EXPECT_EQ(system->settingFor(&lonely, &text, "Debug"), "dflt");
    EXPECT_EQ(system->settingFor(nullptr, &text, "Debug"), "dflt");
}

TEST_F(SettingsTest, ChangesAreSeenByTheNextLookup)
{
    loadStandard(R"(<configuration Name="Common" x="s"/>)", "", "", "");
    EXPECT_EQ(system->settingFor(file, &text, "Debug"), "s");
    EXPECT_EQ(system->settingFor(other, &list, "Debug"), "s");

    system->setProperty(system->projectContaining(file), &text, "Debug", "p", false);
    EXPECT_EQ(system->settingFor(file, &text, "Debug"), "p");
    EXPECT_EQ(system->settingFor(other, &list, "Debug"), "p;s");

    system->setProperty(file, &text, "RAM", "r", false);
    EXPECT_EQ(system->settingFor(file, &text, "Debug"), "r");
    EXPECT_EQ(system->settingFor(other, &text, "Debug"), "p");

    system->findConfiguration(file, "RAM")->removeAttribute("x");
    EXPECT_EQ(system->settingFor(file, &text, "Debug"), "p");

    ProjectElement *solution = system->solutionElement();
    system->findConfiguration(solution, "Debug")
        ->setAttribute("inherited_configurations", "", false);
    solution->updateInheritenceMap();
    system->setProperty(file, &text, "RAM", "r2", false);
    EXPECT_EQ(system->settingFor(file, &text, "Debug"), "p");

    text.setDefault("new default");
    system->projectContaining(file)->getConfigurationElement("Debug")->removeAttribute("x");
    system->solutionElement()->getConfigurationElement("Common")->removeAttribute("x");
    EXPECT_EQ(system->settingFor(other, &text, "Debug"), "new default");
}

TEST_F(SettingsTest, SpecificSettingAndProjectTypeReadOnlyTheNodeItself)
{
    loadStandard(R"(<configuration Name="Common" project_type="Library"/>)",
                 R"(<configuration Name="Debug" project_type="Staging"/>)", "", "");
    ProjectElement *p = system->projectContaining(file);
    EXPECT_TRUE(system->getProjectType(p).isEmpty());
    EXPECT_EQ(system->specificSettingFor(p, system->projectTypeProperty(), "Debug"), "Staging");
    EXPECT_TRUE(system->specificSettingFor(file, &text, "Debug").isNull());
}

TEST_F(SettingsTest, ConfigurationsOfferedByFlags)
{
    load(R"(<configuration Name="Debug" inherited_configurations="ARM Flash Debug"/>
            <configuration Name="ARM Flash Debug" hidden="Yes" Platform="ARM"/>
            <configuration Name="Release"/>
            <configuration Name="Sim"/>
            <configuration Name="Common" x="1"/>
            <project Name="P"><configuration Name="Sim" Platform="x86"/></project>
            <configuration Name="Sim" Platform="x86"/>)");
    ProjectElement *s = system->solutionElement();
    const std::pair<int, QStringList> cases[] = {
        {4, {"Debug", "Release"}}, {6, {"ARM Flash Debug", "Debug", "Release"}},
        {5, {"Common", "Debug", "Release"}}, {2, {"ARM Flash Debug"}}, {0, {"Common"}},
    };
    for (const auto &[flags, expected] : cases) {
        SCOPED_TRACE(flags);
        EXPECT_EQ(system->configurations(s, flags), expected);
        EXPECT_EQ(system->configurations(nullptr, flags), expected);
    }
    EXPECT_EQ(system->getInheritedConfigurations(s->firstChild, "Debug"),
              (QStringList{"ARM Flash Debug"}));
}

TEST_F(SettingsTest, APlatformOtherThanOursInCommonHidesEveryConfiguration)
{
    load(R"(<configuration Name="Common" Platform="MSP430"/><configuration Name="Debug"/>)");
    EXPECT_EQ(system->configurations(nullptr, 4), (QStringList{"Common"}));
    EXPECT_EQ(system->platform(system->solutionElement()), "MSP430");
    EXPECT_EQ(system->platform(nullptr), "ARM");
}

TEST_F(SettingsTest, BatchBuildConfigurationsMatchNamesAndWildcards)
{
    const std::pair<const char *, QStringList> cases[] = {
        {"debug;Rel*", {"Debug", "Release", "Release Flash"}},
        // A "?" alone does not make a pattern: the entry is then a plain name.
        {"Rel?ase;*Flash;release", {"Release Flash", "Release"}}, {"Re*?ase", {"Release"}},
        {"rel*;Nothing;;", {}}, {"Common", {"Common"}},
        {"*", {"Debug", "Release", "Release Flash"}},
    };
    for (const auto &[patterns, expected] : cases) {
        SCOPED_TRACE(patterns);
        load(QString(R"(<configuration Name="Debug"/><configuration Name="Release"/>
                        <configuration Name="Release Flash"/>
                        <configuration Name="Hidden" hidden="1"/>
                        <configuration Name="Common" batch_build_configurations="%1"/>)")
                 .arg(patterns));
        EXPECT_EQ(system->getBatchBuildConfigurations(system->solutionElement(), "Debug"),
                  expected);
    }
}
