// Loading a memory map and a section placement file and generating a linker script from them.
// The input is the memory map, a NUL byte and the placement; both are loaded through the
// preprocessor when the input's length is even, plainly when odd, so both readers are reached.
#include "engine/linker/linker_script.h"
#include "engine/linker/memory_map.h"
#include "fuzz_support.h"

#include <QDir>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray mapText;
    QByteArray placementText;
    splitAtNul(data, size, mapText, placementText);
    const QString mapFile = writeScratchFile("memory_map.xml", mapText);
    const QString placementFile = writeScratchFile("placement.xml", placementText);
    const bool preprocess = size % 2 == 0;

    MemoryMap map;
    if (!map.load(mapFile, QStringLiteral("FLASH_SIZE=0x1000;RAM=SRAM"), preprocess))
        return 0;
    map.getAllElements();
    map.upToDate();
    MemoryMap placement;
    const bool withPlacement = placement.load(placementFile, QString(), preprocess);

    LinkerScriptSettings settings;
    settings.architecture = QStringLiteral("v7M");
    settings.stackSize = QStringLiteral("1024");
    settings.heapSize = QStringLiteral("512");
    const QString script = scratchDirectory() + QStringLiteral("/out.ld");
    for (const bool checkOverflow : {true, false}) {
        try {
            createLinkerScript(settings, script, checkOverflow, &map,
                               withPlacement ? &placement : nullptr);
        } catch (const QString &) {
            // A placement that cannot be laid out is reported with a message: expected.
        }
    }
    return 0;
}
