#include "engine/linker/linker_script_step.h"

#include "engine/builder.h"
#include "engine/linker/memory_map.h"
#include "engine/linker/memory_map_open_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace {

const char kNoSource[] = "no linker script or memory map file specified";
const char kMapMissing[] = "memory map file does not exist: ";
const char kMapUnreadable[] = "cannot load memory map file: ";
const char kPlacementMissing[] = "section placement file does not exist: ";
const char kPlacementUnreadable[] = "cannot load section placement file: ";
const char kGenerating[] = "Generating linker script";

QString absolutePath(const QString &directory, const QString &file)
{
    if (file.isEmpty() || QFileInfo(file).isAbsolute() || directory.isEmpty())
        return file;
    return QDir(directory).filePath(file);
}

bool newerThan(const QString &file, const QDateTime &time)
{
    return !file.isEmpty() && QFileInfo(file).lastModified() > time;
}

bool scriptOutOfDate(const GeneratedLinkerScript &script, const QString &memoryMap,
                     const QString &placement,
                     const LinkerScriptPropertiesCurrent &propertiesCurrent)
{
    const QFileInfo info(script.scriptPath);
    if (!info.exists())
        return true;
    const QDateTime time = info.lastModified();
    if (newerThan(memoryMap, time) || newerThan(placement, time))
        return true;
    return propertiesCurrent && !propertiesCurrent(time);
}

// The link runs when this is asked, so the check is cheap next to it. It catches a script that
// a failed generation left half written, and one made from settings or files that changed
// without leaving a trace in the times.
bool scriptMatchesInputs(const GeneratedLinkerScript &script, const QString &memoryMapFile,
                         const QString &placementFile)
{
    MemoryMap *memoryMap =
        MemoryMapOpenFiles::getMemoryMapFile(memoryMapFile, script.memoryMapMacros, true);
    MemoryMap *placement = placementFile.isEmpty()
                               ? nullptr
                               : MemoryMapOpenFiles::getMemoryMapFile(
                                     placementFile, script.sectionPlacementMacros, true);
    if (!memoryMap || (!placementFile.isEmpty() && !placement))
        return false;
    QString text;
    QTextStream out(&text);
    try {
        writeLinkerScript(script.settings, out, script.checkOverflow, memoryMap, placement);
    } catch (const QString &) {
        return false;
    }
    out.flush();
    QFile file(script.scriptPath);
    return file.open(QIODevice::ReadOnly) && file.readAll() == text.toUtf8();
}

// Preprocessor warnings stop nothing, but the user should see them beside the link.
void reportWarnings(const MemoryMap *map, Builder *builder)
{
    for (const QString &warning : map->warnings())
        builder->note(map->baseFile() + QStringLiteral(": ") + warning);
}

bool generate(const GeneratedLinkerScript &script, const QString &memoryMapFile,
              const QString &placementFile, Builder *builder)
{
    MemoryMap *memoryMap =
        MemoryMapOpenFiles::getMemoryMapFile(memoryMapFile, script.memoryMapMacros, true);
    if (!memoryMap) {
        builder->error(QLatin1String(kMapUnreadable) + memoryMapFile);
        return false;
    }
    reportWarnings(memoryMap, builder);
    MemoryMap *placement = nullptr;
    if (!placementFile.isEmpty()) {
        placement = MemoryMapOpenFiles::getMemoryMapFile(placementFile,
                                                         script.sectionPlacementMacros, true);
        if (!placement) {
            builder->error(QLatin1String(kPlacementUnreadable) + placementFile);
            return false;
        }
        reportWarnings(placement, builder);
    }
    QDir().mkpath(QFileInfo(script.scriptPath).absolutePath());
    try {
        createLinkerScript(script.settings, script.scriptPath, script.checkOverflow, memoryMap,
                           placement);
    } catch (const QString &message) {
        builder->error(message);
        return false;
    }
    return true;
}

} // namespace

bool updateGeneratedLinkerScript(const GeneratedLinkerScript &script, ProjectElement *element,
                                 Builder *builder,
                                 const LinkerScriptPropertiesCurrent &propertiesCurrent)
{
    if (script.memoryMapFile.isEmpty()) {
        builder->error(QLatin1String(kNoSource));
        return false;
    }
    const QString memoryMap = absolutePath(script.projectDirectory, script.memoryMapFile);
    if (!QFileInfo::exists(memoryMap)) {
        builder->error(QLatin1String(kMapMissing) + memoryMap);
        return false;
    }
    const QString placement = absolutePath(script.projectDirectory, script.sectionPlacementFile);
    if (!placement.isEmpty() && !QFileInfo::exists(placement)) {
        builder->error(QLatin1String(kPlacementMissing) + placement);
        return false;
    }
    if (!scriptOutOfDate(script, memoryMap, placement, propertiesCurrent) &&
        scriptMatchesInputs(script, memoryMap, placement))
        return true;
    builder->beginGroup(element, QLatin1String(kGenerating), 0);
    const bool ok = generate(script, memoryMap, placement, builder);
    builder->endGroup(element);
    return ok;
}
