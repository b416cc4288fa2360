// A linker script that cannot be written, or only in part, fails with the script's name.
#include "engine/linker/linker_script.h"
#include "engine/linker/memory_map.h"
#include "support/qt_printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(UnwritableLinkerScript, FailsNamingTheScript)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString mapFile = dir.filePath("map.xml");
    QFile file(mapFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<!DOCTYPE Board_Memory_Definition_File>\n<Root name=\"Board\">\n"
               "  <MemorySegment name=\"FLASH\" start=\"0\" size=\"0x1000\"/>\n</Root>\n");
    file.close();
    MemoryMap map;
    ASSERT_TRUE(map.load(mapFile, QString(), false));
    ASSERT_TRUE(QDir().mkpath(dir.filePath("app.ld")));
    LinkerScriptSettings settings;
    settings.architecture = QStringLiteral("v7M");

    struct Case
    {
        QString script;
        QString message;
    };
    // The device accepts the file being opened and refuses every byte written to it.
    const Case cases[] = {
        {"/dev/full", "cannot write linker script file: /dev/full (No space left on device)"},
        {dir.filePath("app.ld"), "cannot write linker script file: " + dir.filePath("app.ld")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.script.toStdString());
        QString thrown;
        try {
            createLinkerScript(settings, c.script, false, &map, nullptr);
        } catch (const QString &message) {
            thrown = message;
        }
        EXPECT_EQ(thrown, c.message);
    }
}
