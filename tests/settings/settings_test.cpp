#include "settings/settings.h"

#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

using Map = QMap<QString, Setting>;

class SettingsFile : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString file() const { return m_dir.path() + "/user/data/settings.xml"; }
    // Moves the file's time away from the one a store remembered, as another program's write
    // would, without waiting for the clock.
    void touchLater(qint64 seconds = 1000)
    {
        ASSERT_TRUE(setFileTime(file(), QFileInfo(file()).lastModified().toSecsSinceEpoch() + seconds));
    }
    Map loaded() const
    {
        Map map;
        EXPECT_TRUE(Settings::load(Path(file()), map));
        return map;
    }

private:
    QTemporaryDir m_dir;
};

TEST_F(SettingsFile, ExactFileFormat)
{
    const Map map{{"B/Key With Spaces", {"v", Setting::Changed}},
                  {"A", {"x&y<z>\"q'\u00b7", Setting::Loaded}}};
    EXPECT_EQ(QString::fromUtf8(Settings::fileText(map)),
              "<!DOCTYPE Tessary_Settings_File>\n"
              "<settings>\n"
              "  <setting name=\"A\">x&amp;y&lt;z&gt;&quot;q&apos;&middot;</setting>\n"
              "  <setting name=\"B/Key With Spaces\">v</setting>\n"
              "</settings>\n");
    EXPECT_EQ(QString::fromUtf8(Settings::fileText({})),
              "<!DOCTYPE Tessary_Settings_File>\n<settings>\n</settings>\n");
}

TEST_F(SettingsFile, EveryValueRoundTrips)
{
    const QString values[] = {
        "plain", "", "a&b", "<tag attr=\"1\">", "it's", "\u00b7 middle \u00b7", "&lt; stays text",
        "&nbsp;&amp;&middot;", "two\nlines", "crlf\r\nend", "  padded  ", "   ", "\t", "\n",
        "semi;colon\\back", "\u00e9t\u00e9 \u2603", "]]>", "a]]>b",
    };
    Map map;
    int i = 0;
    for (const QString &value : values)
        map.insert(QString("Key %1").arg(i++, 2, 10, QChar('0')), {value, Setting::Changed});
    ASSERT_TRUE(Settings::save(Path(file()), map));

    const Map back = loaded();
    ASSERT_EQ(back.size(), map.size());
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        EXPECT_EQ(back.value(it.key()).value, it->value);
        EXPECT_EQ(back.value(it.key()).state, Setting::Loaded);
    }
}

TEST_F(SettingsFile, LoadReadsHandWrittenFiles)
{
    ASSERT_TRUE(writeTextFile(file(),
                              "<!DOCTYPE Tessary_Settings_File>\n<settings>\n"
                              "  <setting name=\"Environment/Build/Tool Chain Root Directory\">"
                              "/opt/arm/bin</setting>\n"
                              "  <group><setting name=\"Nested\">deep</setting></group>\n"
                              "  <setting name=\"\">skipped</setting>\n"
                              "  <setting name=\"Empty\"/>\n"
                              "  <setting name=\"Entities\">&nbsp;&middot;&amp;lt;</setting>\n"
                              "  <setting name=\"Markup\"><b>bold</b></setting>\n"
                              "</settings>\n"));
    const Map map = loaded();
    EXPECT_EQ(map.value("Environment/Build/Tool Chain Root Directory").value, "/opt/arm/bin");
    EXPECT_EQ(map.value("Nested").value, "deep");
    EXPECT_FALSE(map.contains(""));
    EXPECT_TRUE(map.contains("Empty"));
    EXPECT_EQ(map.value("Empty").value, "");
    EXPECT_EQ(map.value("Entities").value, " \u00b7&lt;");
    EXPECT_EQ(map.value("Markup").value, "<b>bold</b>");
}

TEST_F(SettingsFile, UnreadableFileLeavesTheMapAlone)
{
    Map map{{"kept", {"1", Setting::Loaded}}};
    EXPECT_FALSE(Settings::load(Path(file()), map));
    ASSERT_TRUE(writeTextFile(file(), "<settings><setting name=\"x\">unclosed</settings>"));
    EXPECT_FALSE(Settings::load(Path(file()), map));
    EXPECT_EQ(map, (Map{{"kept", {"1", Setting::Loaded}}}));

    Settings store{Path(file())};
    EXPECT_TRUE(store.entries().isEmpty());
    EXPECT_EQ(store.readEntry("x", "default"), "default");
}

TEST_F(SettingsFile, EntriesAreWrittenBackOnlyWhenSomethingChanged)
{
    Settings store{Path(file())};
    bool ok = true;
    EXPECT_EQ(store.readEntry("k", "dflt", &ok), "dflt");
    EXPECT_FALSE(ok);
    store.sync();
    EXPECT_FALSE(QFile::exists(file()));
    EXPECT_TRUE(store.writeEntry("k", "v"));
    EXPECT_TRUE(store.isDirty());
    EXPECT_EQ(store.readEntry("k", "dflt", &ok), "v");
    EXPECT_TRUE(ok);
    store.sync();
    EXPECT_EQ(loaded().value("k").value, "v");
    EXPECT_EQ(store.entries().value("k").state, Setting::Loaded);
    // Writing the value it already holds is not a change.
    store.writeEntry("k", "v");
    EXPECT_FALSE(store.isDirty());

    store.removeEntry("k");
    EXPECT_EQ(store.readEntry("k", "dflt"), "dflt");
    store.sync();
    EXPECT_FALSE(store.isDirty());
    EXPECT_FALSE(loaded().contains("k"));
    // Removing what is gone, or was never there, changes nothing.
    store.removeEntry("k");
    store.removeEntry("never there");
    EXPECT_FALSE(store.isDirty());
}

// Another program writes the file while a store is open: a sync reads its entries, and the
// store's own changes are merged into them.
TEST_F(SettingsFile, ChangesAreMergedIntoAFileChangedMeanwhile)
{
    ASSERT_TRUE(Settings::save(Path(file()), {{"mine", {"old", Setting::Loaded}},
                                              {"gone", {"x", Setting::Loaded}}}));
    auto store = std::make_unique<Settings>(Path(file()));
    store->writeEntry("mine", "new");
    store->removeEntry("gone");

    ASSERT_TRUE(Settings::save(Path(file()), {{"mine", {"old", Setting::Loaded}},
                                              {"gone", {"x", Setting::Loaded}},
                                              {"theirs", {"t", Setting::Loaded}}}));
    touchLater();
    store->sync();
    EXPECT_EQ(store->readEntry("theirs"), "t");
    EXPECT_EQ(store->readEntry("mine"), "new");
    EXPECT_EQ(loaded(), (Map{{"mine", {"new", Setting::Loaded}},
                             {"theirs", {"t", Setting::Loaded}}}));

    ASSERT_TRUE(Settings::save(Path(file()), {{"mine", {"other", Setting::Loaded}}}));
    touchLater(2000);
    store.reset(); // the end of the run reads what is there and has nothing of its own to add
    EXPECT_EQ(loaded(), (Map{{"mine", {"other", Setting::Loaded}}}));
}

// The end of the run writes the file, and its directory, even when nothing changed.
TEST_F(SettingsFile, DestructorCreatesTheFileAndItsDirectory)
{
    { Settings store{Path(file())}; }
    EXPECT_EQ(loaded(), Map());
}

} // namespace
