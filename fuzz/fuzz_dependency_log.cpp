// Reading a dependency log (".kestrel_deps") of arbitrary contents: a damaged log must give no
// entries or well-formed ones, and whatever it gives must write and read back the same.
#include "engine/dependency_log.h"

#include <QByteArray>

#include <cstdint>

namespace {

bool same(const DependencyLog::Entries &a, const DependencyLog::Entries &b)
{
    if (a.size() != b.size())
        return false;
    for (const auto &[object, entry] : a) {
        const auto other = b.find(object);
        if (other == b.end() || !(entry.identity == other->second.identity)
            || entry.dir != other->second.dir
            || entry.dependencies != other->second.dependencies)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    const DependencyLog::Entries entries = DependencyLog::parse(text);
    for (const auto &[object, entry] : entries) {
        if (object.isEmpty() || entry.dependencies.isEmpty())
            __builtin_trap();
    }
    // Names with a line end cannot be written and are left out; none can come from a log.
    if (!same(DependencyLog::parse(DependencyLog::format(entries)), entries))
        __builtin_trap();
    return 0;
}
