#include "engine/linker/elf_memory_usage.h"

#include <QFile>

#include <fcntl.h>
#include <gelf.h>
#include <libelf.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace {

struct Image
{
    quint64 start = 0;
    quint64 end = 0;
    QString section;
};

// Owns the open file and libelf's handle on it.
class ElfFile
{
public:
    explicit ElfFile(const QString &path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (m_fd >= 0 && elf_version(EV_CURRENT) != EV_NONE)
            m_elf = elf_begin(m_fd, ELF_C_READ, nullptr);
    }
    ~ElfFile()
    {
        if (m_elf)
            elf_end(m_elf);
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ElfFile(const ElfFile &) = delete;
    ElfFile &operator=(const ElfFile &) = delete;

    bool opened() const { return m_fd >= 0; }
    Elf *elf() const { return m_elf && elf_kind(m_elf) == ELF_K_ELF ? m_elf : nullptr; }

private:
    int m_fd = -1;
    Elf *m_elf = nullptr;
};

std::vector<GElf_Phdr> loadSegments(Elf *elf)
{
    std::vector<GElf_Phdr> segments;
    size_t count = 0;
    if (elf_getphdrnum(elf, &count) != 0)
        return segments;
    for (size_t i = 0; i < count; ++i) {
        GElf_Phdr header;
        if (gelf_getphdr(elf, int(i), &header) && header.p_type == PT_LOAD)
            segments.push_back(header);
    }
    return segments;
}

// Where the contents of a section running at `address` are stored: the physical address of
// the loadable segment that holds it; the run address when no segment does.
quint64 loadAddress(const std::vector<GElf_Phdr> &segments, quint64 address, quint64 size)
{
    for (const GElf_Phdr &segment : segments) {
        if (segment.p_filesz == 0)
            continue;
        if (address >= segment.p_vaddr && address + size <= segment.p_vaddr + segment.p_filesz)
            return segment.p_paddr + (address - segment.p_vaddr);
    }
    return address;
}

// The run image of every allocated section and, where it is stored elsewhere, its load image.
std::vector<Image> sectionImages(Elf *elf)
{
    std::vector<Image> images;
    size_t names = 0;
    if (elf_getshdrstrndx(elf, &names) != 0)
        return images;
    const std::vector<GElf_Phdr> segments = loadSegments(elf);
    for (Elf_Scn *scn = elf_nextscn(elf, nullptr); scn; scn = elf_nextscn(elf, scn)) {
        GElf_Shdr header;
        if (!gelf_getshdr(scn, &header) || !(header.sh_flags & SHF_ALLOC) || header.sh_size == 0)
            continue;
        const char *name = elf_strptr(elf, names, header.sh_name);
        const QString section = QString::fromUtf8(name ? name : "");
        images.push_back({header.sh_addr, header.sh_addr + header.sh_size, section});
        if (header.sh_type == SHT_NOBITS)
            continue;
        const quint64 stored = loadAddress(segments, header.sh_addr, header.sh_size);
        if (stored != header.sh_addr)
            images.push_back({stored, stored + header.sh_size, section});
    }
    std::sort(images.begin(), images.end(),
              [](const Image &a, const Image &b) { return a.start < b.start; });
    return images;
}

SegmentUsage usageOf(const MemoryRegion &region, const std::vector<Image> &images)
{
    SegmentUsage usage{region.name, region.origin, region.length, 0, {}};
    quint64 coveredTo = 0; // images are sorted by start: the end of the union so far
    for (const Image &image : images) {
        if (image.start < region.origin || image.start - region.origin >= region.length)
            continue;
        const quint64 from = std::max(image.start, coveredTo);
        if (image.end > from)
            usage.used += image.end - from;
        coveredTo = std::max(coveredTo, image.end);
        if (!usage.sections.contains(image.section))
            usage.sections.append(image.section);
    }
    return usage;
}

} // namespace

bool elfMemoryUsage(const QString &elfFile, const QList<MemoryRegion> &regions,
                    QList<SegmentUsage> *usage, QString *error)
{
    const ElfFile file(elfFile);
    if (!file.opened()) {
        *error = QStringLiteral("cannot open \"%1\"").arg(elfFile);
        return false;
    }
    if (!file.elf()) {
        *error = QStringLiteral("\"%1\" is not an ELF file").arg(elfFile);
        return false;
    }
    const std::vector<Image> images = sectionImages(file.elf());
    usage->clear();
    for (const MemoryRegion &region : regions)
        usage->append(usageOf(region, images));
    return true;
}
