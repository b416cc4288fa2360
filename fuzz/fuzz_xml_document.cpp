// The XML reader on arbitrary bytes, keeping and dropping character data.
#include "tree_walk.h"
#include "xml/xml_document.h"

#include <QByteArray>

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The reader takes a NUL-terminated buffer, as a file read into memory is.
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const bool keepText : {true, false}) {
        XMLDocument doc(keepText);
        if (doc.loadFromText(text.constData())) {
            walkTree(doc.root);
        } else if (std::memchr(doc.errorMessage, '\0', sizeof doc.errorMessage) == nullptr
                   || doc.errorMessage[0] == '\0') {
            // A failed load always says why.
            __builtin_trap();
        }
    }
    return 0;
}
