#include "xml/xml_document.h"

#include "xml/xml_element.h"
#include "xml/xml_parser.h"

#include <QFile>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace {

struct FileCloser
{
    void operator()(FILE *f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

const char *errorText(int code)
{
    switch (code) {
    case XMLParser::BadTagName:
        return "bad tagName";
    case XMLParser::TagNameMismatch:
        return "tagName mismatch";
    case XMLParser::NestedTooDeeply:
        return "elements nested too deeply";
    default:
        return "parse error";
    }
}

// The whole file plus a terminating NUL, or null when it cannot be read. Only regular files are
// read: a directory opens and reports a size near 2^63, and a pipe or device may never end.
std::unique_ptr<char[]> readWholeFile(const char *path)
{
    struct stat status;
    if (::stat(path, &status) != 0 || !S_ISREG(status.st_mode))
        return nullptr;
    FilePtr file(std::fopen(path, "rb"));
    if (!file || std::fseek(file.get(), 0, SEEK_END) != 0)
        return nullptr;
    const long size = std::ftell(file.get());
    if (size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0)
        return nullptr;
    std::unique_ptr<char[]> buffer(new char[std::size_t(size) + 1]);
    const std::size_t got = std::fread(buffer.get(), 1, std::size_t(size), file.get());
    buffer[got] = '\0';
    return buffer;
}

} // namespace

XMLDocument::XMLDocument(bool keepTextFlag) : keepText(keepTextFlag) {}

XMLDocument::~XMLDocument()
{
    // Nodes of this document must not be handed out after it is gone.
    if (Pool::currentPool == &m_pool)
        Pool::currentPool = nullptr;
}

XMLElement *XMLDocument::mkXMLElement(const char *tagName)
{
    return new XMLElement(tagName);
}

bool XMLDocument::load(const char *path)
{
    std::unique_ptr<char[]> buffer = readWholeFile(path);
    if (!buffer) {
        std::snprintf(errorMessage, sizeof errorMessage, "couldn't read %s", path);
        errorLine = 0;
        root = nullptr;
        return false;
    }
    return loadFromText(buffer.get());
}

bool XMLDocument::load(const QString &path)
{
    return load(QFile::encodeName(path).constData());
}

bool XMLDocument::loadFromText(const char *text)
{
    XMLParser parser;
    {
        CurrentPoolScope scope(&m_pool);
        root = parser.parse(this, text);
    }
    if (parser.errorCode() == XMLParser::NoError)
        return true;
    std::snprintf(errorMessage, sizeof errorMessage, "%s", errorText(parser.errorCode()));
    errorLine = parser.lineCount();
    return false;
}

const char *XMLDocument::xmlDocumentType(const char *path)
{
    static char buffer[1024 + 1];
    FilePtr file(std::fopen(path, "rb"));
    if (!file)
        return nullptr;
    const std::size_t size = std::fread(buffer, 1, 1024, file.get());
    buffer[size] = '\0';
    const char *end = buffer + size;

    const char *p = buffer;
    for (;;) {
        p = static_cast<const char *>(std::memchr(p, '<', std::size_t(end - p)));
        if (!p)
            return nullptr;
        if (p + 1 < end && p[1] == '?') {
            ++p;
            continue;
        }
        break;
    }
    static const char kDocType[] = "!DOCTYPE ";
    const std::size_t docTypeLength = sizeof kDocType - 1;
    if (std::size_t(end - (p + 1)) < docTypeLength || std::memcmp(p + 1, kDocType, docTypeLength))
        return nullptr;
    char *q = buffer + (p + 1 + docTypeLength - buffer);
    while (q < end && std::isspace(static_cast<unsigned char>(*q)))
        ++q;
    char *name = q;
    while (q < end && (std::isalnum(static_cast<unsigned char>(*q)) || *q == '_'))
        ++q;
    if (q >= end)
        return nullptr;
    *q = '\0';
    return name;
}
