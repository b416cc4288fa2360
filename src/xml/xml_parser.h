// The single-pass, non-validating reader that turns a NUL-terminated buffer into a tree.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_set>
#include <vector>

class XMLDocument;
class XMLElement;

// Reads elements, double-quoted attributes, comments, CDATA sections, the XML declaration and a
// simple DOCTYPE; everything else is character data. Nodes and strings go to the current pool,
// elements are made through the document's mkXMLElement.
class XMLParser
{
public:
    enum Error { NoError = 0, BadTagName = 1, TagNameMismatch = 2, NestedTooDeeply = 3 };

    // Open elements deeper than this end the parse: every consumer of the tree walks it
    // recursively, and no real file comes near it.
    static constexpr int kMaxDepth = 1000;

    // Returns the root: the last top-level element closed, or null. After an error the parse
    // stops and the root closed so far is returned.
    XMLElement *parse(XMLDocument *document, const char *text);

    // Copies the current token into the current pool, decoding character references when
    // `decode` is set.
    const char *getStringFromBuffer(XMLDocument *document, bool decode);

    int errorCode() const { return m_error; }
    // Newlines passed when the parse stopped (0-based line of a fault).
    std::uint32_t lineCount() const { return m_line; }

private:
    void advance();
    void advanceBy(std::size_t count);
    void skipWhitespace();
    void readName();
    bool startsWith(const char *literal) const;
    void skipTo(const char *terminator);
    bool textOpen() const;

    void parseProcessingInstruction(XMLDocument *document);
    void parseXmlDeclaration(XMLDocument *document);
    void parseMarkup(XMLDocument *document);
    void parseComment(XMLDocument *document);
    void parseCDATASection(XMLDocument *document);
    void parseDocType(XMLDocument *document);
    bool parseEndTag();
    bool parseStartTag(XMLDocument *document, std::uint32_t line);
    bool parseAttribute(XMLElement *element, int index);
    void parseCharacterData(XMLDocument *document);
    void closeElement();
    char *copyToken(bool decode, bool dropCarriageReturns);

    const char *m_tokenStart = nullptr;
    const char *m_tokenEnd = nullptr;
    const char *m_pos = nullptr;
    std::uint32_t m_line = 0;
    std::uint32_t m_constructLine = 0;  // line of the `<` of a comment or CDATA section
    int m_error = NoError;
    bool m_keepText = false;
    XMLElement *m_root = nullptr;
    std::vector<XMLElement *> m_open;
    // Names of the current start tag once it is long: a later attribute of the same name
    // replaces the earlier one, and a linear search per attribute would make a hostile tag with
    // a hundred thousand attributes take seconds.
    std::unordered_set<std::string_view> m_attributeNames;
    bool m_attributeNamesIndexed = false;
};
