#include "xml/xml_parser.h"

#include "xml/xml_document.h"
#include "xml/xml_element.h"

#include <cstring>

namespace {

// Character classes of the C locale, spelled out so that the process locale cannot change them.
bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isNameChar(char c)
{
    return isLetter(c) || isDigit(c) || c == '_' || c == ':' || c == '-';
}

bool isAttributeNameStart(char c)
{
    return isLetter(c) || c == '_' || c == '-' || c == ':';
}

// Value of `c` as a digit of a numeric character reference, or -1. Upper-case hexadecimal
// digits are accepted as well as lower-case ones.
int digitValue(char c, bool hex)
{
    if (isDigit(c))
        return c - '0';
    if (!hex)
        return -1;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool matches(const char *s, const char *end, const char *literal, std::size_t length)
{
    return std::size_t(end - s) >= length && std::memcmp(s, literal, length) == 0;
}

// Decodes the reference starting at the `&` at `s`. A reference must end with `;` inside the
// token; a numeric one must hold only digits of its base, else it is not a reference and the
// `&` is copied as it stands.
bool decodeReference(const char *s, const char *end, char *decoded, const char **after)
{
    struct Named
    {
        const char *text;
        std::size_t length;
        char value;
    };
    static const Named named[] = {{"&gt;", 4, '>'}, {"&lt;", 4, '<'}, {"&quot;", 6, '"'}};
    for (const Named &n : named) {
        if (matches(s, end, n.text, n.length)) {
            *decoded = n.value;
            *after = s + n.length;
            return true;
        }
    }
    if (!matches(s, end, "&#", 2))
        return false;
    const char *p = s + 2;
    const bool hex = p < end && *p == 'x';
    if (hex)
        ++p;
    unsigned value = 0;
    for (int digit; p < end && (digit = digitValue(*p, hex)) >= 0; ++p)
        value = value * (hex ? 16u : 10u) + unsigned(digit);
    if (p >= end || *p != ';')
        return false;
    *decoded = char(value & 0xFF);
    *after = p + 1;
    return true;
}

} // namespace

void XMLParser::advance()
{
    if (*m_pos == '\0')
        return;
    ++m_pos;
    if (*m_pos == '\n')
        ++m_line;
}

void XMLParser::advanceBy(std::size_t count)
{
    while (count--)
        advance();
}

void XMLParser::skipWhitespace()
{
    while (isSpace(*m_pos))
        advance();
}

void XMLParser::readName()
{
    m_tokenStart = m_pos;
    while (isNameChar(*m_pos))
        advance();
    m_tokenEnd = m_pos;
}

bool XMLParser::startsWith(const char *literal) const
{
    return std::strncmp(m_pos, literal, std::strlen(literal)) == 0;
}

void XMLParser::skipTo(const char *terminator)
{
    m_tokenStart = m_pos;
    while (*m_pos && !(*m_pos == terminator[0] && startsWith(terminator)))
        advance();
    m_tokenEnd = m_pos;
}

bool XMLParser::textOpen() const
{
    return !m_open.empty();
}

XMLElement *XMLParser::parse(XMLDocument *document, const char *text)
{
    m_pos = text;
    // The line count rises whenever the position moves onto a newline; the first character
    // counts as having been moved onto.
    m_line = *text == '\n' ? 1 : 0;
    m_error = NoError;
    m_keepText = document->keepText;
    m_root = nullptr;
    m_open.clear();
    for (;;) {
        skipWhitespace();
        if (*m_pos != '<')
            return m_root;
        const std::uint32_t line = m_line;
        advance();
        switch (*m_pos) {
        case '?':
            parseProcessingInstruction(document);
            break;
        case '!':
            m_constructLine = line;
            parseMarkup(document);
            break;
        case '/':
            if (!parseEndTag())
                return m_root;
            break;
        default:
            if (!parseStartTag(document, line))
                return m_root;
            break;
        }
        parseCharacterData(document);
    }
}

void XMLParser::parseProcessingInstruction(XMLDocument *document)
{
    advance();
    readName();
    if (m_tokenEnd - m_tokenStart == 3 && std::memcmp(m_tokenStart, "xml", 3) == 0)
        parseXmlDeclaration(document);
}

// Pseudo-attributes up to `?>`. Anything that is not name = "value" ends the declaration, and
// what is left up to the next `<` becomes character data, so odd declarations cannot stall.
void XMLParser::parseXmlDeclaration(XMLDocument *document)
{
    for (;;) {
        skipWhitespace();
        if (*m_pos == '\0' || *m_pos == '?' || !isNameChar(*m_pos))
            break;
        readName();
        const char *name = m_tokenStart;
        const std::size_t nameLength = std::size_t(m_tokenEnd - m_tokenStart);
        skipWhitespace();
        if (*m_pos != '=')
            continue;
        advance();
        skipWhitespace();
        if (*m_pos != '"')
            break;
        advance();
        m_tokenStart = m_pos;
        while (*m_pos && *m_pos != '"')
            advance();
        m_tokenEnd = m_pos;
        if (*m_pos == '"')
            advance();
        if (nameLength == 7 && std::memcmp(name, "version", 7) == 0)
            document->version = copyToken(false, false);
        else if (nameLength == 8 && std::memcmp(name, "encoding", 8) == 0)
            document->encoding = copyToken(false, false);
    }
    if (startsWith("?>"))
        advanceBy(2);
}

void XMLParser::parseMarkup(XMLDocument *document)
{
    advance();
    if (*m_pos == '-') {
        advance();
        if (*m_pos == '-') {
            advance();
            parseComment(document);
        }
        return;
    }
    if (*m_pos == '[') {
        parseCDATASection(document);
        return;
    }
    readName();
    if (m_tokenEnd - m_tokenStart == 7 && std::memcmp(m_tokenStart, "DOCTYPE", 7) == 0)
        parseDocType(document);
}

void XMLParser::parseComment(XMLDocument *)
{
    skipTo("-->");
    if (*m_pos == '\0')
        return;
    if (m_keepText && textOpen()) {
        auto *comment = new XMLComment(copyToken(false, false));
        comment->setLineNumber(m_constructLine);
        m_open.back()->appendChild(comment);
    }
    advanceBy(3);
}

void XMLParser::parseCDATASection(XMLDocument *)
{
    advance();
    readName();
    if (*m_pos == '[')
        advance();
    skipTo("]]>");
    if (*m_pos == '\0')
        return;
    if (textOpen()) {
        auto *section = new XMLCDATASection(copyToken(false, false));
        section->setLineNumber(m_constructLine);
        m_open.back()->appendChild(section);
    }
    advanceBy(3);
}

void XMLParser::parseDocType(XMLDocument *document)
{
    skipWhitespace();
    readName();
    const char *nameStart = m_tokenStart;
    const char *nameEnd = m_tokenEnd;
    skipWhitespace();
    if (*m_pos != '>')
        return;
    m_tokenStart = nameStart;
    m_tokenEnd = nameEnd;
    document->docType = copyToken(false, false);
    advance();
}

bool XMLParser::parseEndTag()
{
    advance();
    readName();
    const std::size_t length = std::size_t(m_tokenEnd - m_tokenStart);
    skipWhitespace();
    if (textOpen()) {
        const char *open = m_open.back()->tagName();
        if (std::strlen(open) != length || std::memcmp(open, m_tokenStart, length) != 0) {
            m_error = TagNameMismatch;
            return false;
        }
    }
    if (*m_pos == '>') {
        advance();
        if (textOpen())
            closeElement();
    }
    return true;
}

bool XMLParser::parseStartTag(XMLDocument *document, std::uint32_t line)
{
    readName();
    const char *name = copyToken(false, false);
    skipWhitespace();
    if (m_open.size() >= std::size_t(kMaxDepth)) {
        m_error = NestedTooDeeply;
        return false;
    }
    XMLElement *element = document->mkXMLElement(name);
    element->setLineNumber(line);
    m_open.push_back(element);
    m_attributeNamesIndexed = false;
    for (int index = 0; *m_pos && *m_pos != '/' && *m_pos != '>'; ++index) {
        if (!parseAttribute(element, index)) {
            m_error = BadTagName;
            return false;
        }
    }
    if (*m_pos == '>') {
        advance();
    } else if (*m_pos == '/') {
        advance();
        if (*m_pos == '>') {
            advance();
            closeElement();
        }
    }
    return true;
}

bool XMLParser::parseAttribute(XMLElement *element, int index)
{
    if (!isAttributeNameStart(*m_pos))
        return false;
    readName();
    const char *name = copyToken(false, false);
    skipWhitespace();
    if (*m_pos != '=')
        return true;
    advance();
    skipWhitespace();
    if (*m_pos != '"')
        return true;
    advance();
    m_tokenStart = m_pos;
    while (*m_pos && *m_pos != '"')
        advance();
    m_tokenEnd = m_pos;
    const char *value = copyToken(true, false);
    if (*m_pos == '"')
        advance();
    skipWhitespace();
    // Short tags, nearly all of them, search their few names; a long one indexes them.
    constexpr int kLinearSearchLimit = 16;
    if (index < kLinearSearchLimit) {
        element->setAttribute(name, value);
        return true;
    }
    if (!m_attributeNamesIndexed) {
        m_attributeNames.clear();
        for (const XMLAttribute &a : element->getAttributeList())
            m_attributeNames.insert(a.name);
        m_attributeNamesIndexed = true;
    }
    if (m_attributeNames.insert(name).second)
        element->appendAttribute(name, value);
    else
        element->setAttribute(name, value);
    return true;
}

void XMLParser::parseCharacterData(XMLDocument *)
{
    const std::uint32_t line = m_line;
    m_tokenStart = m_pos;
    while (*m_pos && *m_pos != '<')
        advance();
    m_tokenEnd = m_pos;
    if (m_tokenEnd == m_tokenStart || !m_keepText || !textOpen())
        return;
    auto *data = new XMLData(copyToken(true, true));
    data->setLineNumber(line);
    m_open.back()->appendChild(data);
}

void XMLParser::closeElement()
{
    XMLElement *element = m_open.back();
    m_open.pop_back();
    if (textOpen())
        m_open.back()->appendChild(element);
    else
        m_root = element;
}

const char *XMLParser::getStringFromBuffer(XMLDocument *, bool decode)
{
    return copyToken(decode, false);
}

char *XMLParser::copyToken(bool decode, bool dropCarriageReturns)
{
    const std::size_t length = std::size_t(m_tokenEnd - m_tokenStart);
    char *out = XMLNode::mkString(m_tokenStart, unsigned(length));
    if (!decode && !dropCarriageReturns)
        return out;
    // Decoding only ever shortens the text, so it is done in place in the copy.
    const char *end = out + length;
    char *d = out;
    for (const char *s = out; s < end;) {
        if (*s == '\r' && dropCarriageReturns) {
            ++s;
            continue;
        }
        if (*s == '&' && decode && decodeReference(s, end, d, &s)) {
            ++d;
            continue;
        }
        *d++ = *s++;
    }
    *d = '\0';
    return out;
}
