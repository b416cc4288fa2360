// The XML preprocessor on a file of arbitrary bytes. The input is written as "in.xml" in a
// scratch directory, so an input can include itself or a sibling ("in.xml", "other.xml"); the
// text after a first NUL byte becomes "other.xml".
#include "fuzz_support.h"
#include "tree_walk.h"
#include "xml/xmlpp2.h"

#include <cstdint>

namespace {

class QuietPreprocessor : public XMLPP2
{
public:
    void warning(const QString &) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray main;
    QByteArray other;
    splitAtNul(data, size, main, other);
    const QByteArray path = writeScratchFile("in.xml", main).toLocal8Bit();
    writeScratchFile("other.xml", other);

    XMLDocument::xmlDocumentType(path.constData());
    QuietPreprocessor pp;
    if (pp.load(path.constData(), "A=1;B=$(A)2;Name=board;Empty=", true) && pp.root)
        walkTree(pp.root);
    return 0;
}
