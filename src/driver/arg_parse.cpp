#include "driver/arg_parse.h"

#include "driver/error_report.h"

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <sys/stat.h>

namespace {

// Lines of an indirect file are read in pieces of at most this many bytes (less one).
constexpr int kLineBufferSize = 1024;

// Closes the file and unwinds the nesting depth on every way out.
class IndirectFile
{
public:
    IndirectFile(FILE *file, int &depth) : m_file(file), m_depth(depth) { ++m_depth; }
    ~IndirectFile()
    {
        std::fclose(m_file);
        --m_depth;
    }
    IndirectFile(const IndirectFile &) = delete;
    IndirectFile &operator=(const IndirectFile &) = delete;
    FILE *file() const { return m_file; }

private:
    FILE *m_file;
    int &m_depth;
};

// fopen, except that a directory, which opens like a file and then reads as empty, fails with
// EISDIR: its options would otherwise be dropped without a word.
FILE *openIndirectFile(const char *fileName)
{
    FILE *file = std::fopen(fileName, "r");
    struct stat status;
    if (file && ::fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode)) {
        std::fclose(file);
        errno = EISDIR;
        return nullptr;
    }
    return file;
}

bool endsLine(char c)
{
    return c == '\0' || c == '\n';
}

} // namespace

ArgParse::ArgParse() : m_report(report) {}

ArgParse::~ArgParse() = default;

std::ostream &ArgParse::error()
{
    if (m_report)
        return m_report->error();
    std::cerr << "error: ";
    return std::cerr;
}

void ArgParse::addOption(const char *name, const Option &option)
{
    m_options.insert_or_assign(name, option);
}

void ArgParse::onOptionGetArgAndCall(const char *name, bool attached, Handler handler)
{
    addOption(name, Option{attached ? Attached : NextWord, true, handler, nullptr, nullptr});
}

void ArgParse::onOptionCall(const char *name, Handler handler)
{
    addOption(name, Option{NoArgument, true, handler, nullptr, nullptr});
}

void ArgParse::onFlag(const char *name, bool *flag)
{
    addOption(name, Option{NoArgument, false, nullptr, nullptr, flag});
}

void ArgParse::onOptionGetArg(const char *name, const char **value)
{
    addOption(name, Option{NextWord, false, nullptr, value, nullptr});
}

const std::pair<const char *const, ArgParse::Option> *ArgParse::findAttached(const char *word) const
{
    for (const auto &entry : m_options) {
        if (entry.second.kind == Attached
            && std::strncmp(word, entry.first, std::strlen(entry.first)) == 0)
            return &entry;
    }
    return nullptr;
}

void ArgParse::parse(int count, char **words)
{
    for (int i = 0; i < count; ++i) {
        const char *word = words[i];
        const std::pair<const char *const, Option> *entry = nullptr;
        const char *argument = nullptr;
        const auto exact = m_options.find(word);
        if (exact != m_options.end()) {
            entry = &*exact;
            if (entry->second.kind == NextWord) {
                if (i + 1 >= count) {
                    error() << "expected argument for option " << word << std::endl;
                    return;
                }
                argument = words[++i];
            } else if (entry->second.kind == Attached) {
                argument = word + std::strlen(entry->first);
            }
        } else if ((entry = findAttached(word))) {
            argument = word + std::strlen(entry->first);
        } else if (word[0] == '@') {
            parseArgsFromIndirectFile(word + 1);
            continue;
        } else if (word[0] == '-') {
            error() << "unrecognised option " << word << std::endl;
            continue;
        } else {
            onArgument(word);
            continue;
        }
        const Option &option = entry->second;
        if (option.callsHandler) {
            (this->*option.handler)(entry->first, argument);
            continue;
        }
        if (option.flag)
            *option.flag = true;
        if (option.value)
            *option.value = argument;
    }
}

void ArgParse::parse(const char *line)
{
    std::vector<char *> words;
    if (argifyLine(nullptr, 0, line, words) > 0)
        parse(int(words.size()), words.data());
}

char *ArgParse::keepWord(const char *begin, size_t length)
{
    auto copy = std::make_unique<char[]>(length + 1);
    std::memcpy(copy.get(), begin, length);
    copy[length] = '\0';
    m_words.push_back(std::move(copy));
    return m_words.back().get();
}

int ArgParse::argifyLine(const char *fileName, int lineNumber, const char *text,
                         std::vector<char *> &words)
{
    std::vector<char *> found;
    const char *p = text;
    for (;;) {
        while (*p == ' ')
            ++p;
        if (endsLine(*p))
            break;
        const char *begin = p;
        if (*p == '"') {
            begin = ++p;
            while (!endsLine(*p) && *p != '"')
                ++p;
            if (*p != '"') {
                if (fileName)
                    error() << "unterminated string in indirect file " << fileName << "("
                            << lineNumber << ")" << std::endl;
                else
                    error() << "unterminated string in command line" << std::endl;
                return 0;
            }
            found.push_back(keepWord(begin, size_t(p - begin)));
            ++p; // scanning goes on right after the closing quote
            continue;
        }
        while (!endsLine(*p) && *p != ' ')
            ++p;
        found.push_back(keepWord(begin, size_t(p - begin)));
    }
    words.insert(words.end(), found.begin(), found.end());
    return int(found.size());
}

void ArgParse::parseArgsFromIndirectFile(const char *fileName)
{
    if (m_indirectDepth >= kMaxIndirectDepth || m_indirectFilesRead >= kMaxIndirectFiles) {
        if (!m_tooManyReported)
            error() << "too many indirect files" << std::endl;
        m_tooManyReported = true;
        return;
    }
    ++m_indirectFilesRead;
    FILE *file = openIndirectFile(fileName);
    if (!file) {
        const int failure = errno;
        error() << "can't open indirect file " << fileName << ": " << std::strerror(failure)
                << std::endl;
        return;
    }
    IndirectFile open(file, m_indirectDepth);
    char line[kLineBufferSize];
    int lineNumber = 0;
    while (std::fgets(line, sizeof line, open.file())) {
        ++lineNumber;
        if (line[0] == '#')
            continue;
        std::vector<char *> words;
        if (argifyLine(fileName, lineNumber, line, words) > 0)
            parse(int(words.size()), words.data());
    }
}
