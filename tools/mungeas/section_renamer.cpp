#include "section_renamer.h"

#include <cctype>
#include <cstddef>

namespace {

enum class Kind { None, Code, Data, Zeroed, Constant };

const char *defaultName(Kind kind)
{
    switch (kind) {
    case Kind::Code:
        return ".text";
    case Kind::Data:
        return ".data";
    case Kind::Zeroed:
        return ".bss";
    case Kind::Constant:
        return ".rodata";
    case Kind::None:
        break;
    }
    return "";
}

const char *defaultFlags(Kind kind)
{
    switch (kind) {
    case Kind::Code:
        return ",\"ax\",%progbits";
    case Kind::Data:
        return ",\"aw\",%progbits";
    case Kind::Zeroed:
        return ",\"aw\",%nobits";
    case Kind::Constant:
        return ",\"a\",%progbits";
    case Kind::None:
        break;
    }
    return "";
}

const std::string &newName(Kind kind, const SectionNames &names)
{
    switch (kind) {
    case Kind::Code:
        return names.code;
    case Kind::Data:
        return names.data;
    case Kind::Zeroed:
        return names.zeroed;
    default:
        return names.constant;
    }
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::size_t skipBlanks(const std::string &s, std::size_t i)
{
    while (i < s.size() && isBlank(s[i]))
        ++i;
    return i;
}

// The end of the word starting at `i` (a word ends at a blank, a comma or a comment).
std::size_t wordEnd(const std::string &s, std::size_t i)
{
    while (i < s.size() && !isBlank(s[i]) && s[i] != ',' && s[i] != '@' && s[i] != '"')
        ++i;
    return i;
}

// Which default section `name` is, or is a sub-section of.
Kind kindOf(const std::string &name)
{
    for (Kind kind : {Kind::Code, Kind::Data, Kind::Zeroed, Kind::Constant}) {
        const std::string base = defaultName(kind);
        if (name == base || (name.size() > base.size() && name.compare(0, base.size(), base) == 0 &&
                             name[base.size()] == '.'))
            return kind;
    }
    return Kind::None;
}

bool onlyCommentFollows(const std::string &s, std::size_t i)
{
    i = skipBlanks(s, i);
    return i == s.size() || s[i] == '@' || (s[i] == '/' && i + 1 < s.size() && s[i + 1] == '*');
}

// ".text", ".data" or ".bss" on a line of its own (a subsection number makes no difference to
// the kind; it is dropped because a named section cannot carry one).
std::string renameShortDirective(const std::string &line, std::size_t start, std::size_t end,
                                 Kind kind, const SectionNames &names)
{
    const std::size_t digits = skipBlanks(line, end);
    std::size_t rest = digits;
    while (rest < line.size() && std::isdigit(static_cast<unsigned char>(line[rest])))
        ++rest;
    if (!onlyCommentFollows(line, rest))
        return line;
    return line.substr(0, start) + ".section\t" + newName(kind, names) + defaultFlags(kind) +
           line.substr(rest == digits ? end : rest);
}

std::string renameSectionDirective(const std::string &line, std::size_t end,
                                   const SectionNames &names)
{
    const std::size_t nameStart = skipBlanks(line, end);
    const std::size_t nameEnd = wordEnd(line, nameStart);
    const std::string name = line.substr(nameStart, nameEnd - nameStart);
    const Kind kind = kindOf(name);
    if (kind == Kind::None)
        return line;
    const std::string renamed =
        newName(kind, names) + name.substr(std::string(defaultName(kind)).size());
    const bool hasFlags =
        skipBlanks(line, nameEnd) < line.size() && line[skipBlanks(line, nameEnd)] == ',';
    return line.substr(0, nameStart) + renamed + (hasFlags ? "" : defaultFlags(kind)) +
           line.substr(nameEnd);
}

} // namespace

std::string renameSections(const std::string &line, const SectionNames &names)
{
    const std::size_t start = skipBlanks(line, 0);
    if (start >= line.size() || line[start] != '.')
        return line;
    const std::size_t end = wordEnd(line, start);
    const std::string directive = line.substr(start, end - start);
    if (directive == ".section" || directive == ".pushsection")
        return renameSectionDirective(line, end, names);
    if (directive == ".text" || directive == ".data" || directive == ".bss")
        return renameShortDirective(line, start, end, kindOf(directive), names);
    return line;
}
