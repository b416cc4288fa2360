#include "engine/linker/memory_map_open_files.h"

#include "engine/linker/memory_map.h"
#include "host/path.h"

#include <map>
#include <memory>

namespace {

struct OpenFile
{
    std::unique_ptr<MemoryMap> map;
    QString macros;
};

std::map<QString, OpenFile> &openFiles()
{
    static std::map<QString, OpenFile> files;
    return files;
}

} // namespace

MemoryMap *MemoryMapOpenFiles::getMemoryMapFile(const QString &file, const QString &macros,
                                                bool preprocess)
{
    const QString key = Path(file).osPathQString();
    auto &files = openFiles();
    auto it = files.find(key);
    if (it != files.end()) {
        if (it->second.macros == macros && it->second.map->upToDate())
            return it->second.map.get();
        files.erase(it);
    }
    auto map = std::make_unique<MemoryMap>();
    if (!map->load(key, macros, preprocess))
        return nullptr;
    MemoryMap *loaded = map.get();
    files.emplace(key, OpenFile{std::move(map), macros});
    return loaded;
}

void MemoryMapOpenFiles::clear()
{
    openFiles().clear();
}

int MemoryMapOpenFiles::count()
{
    return int(openFiles().size());
}
