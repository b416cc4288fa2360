// ArgParse: a table-driven command-line parser with indirect option files ("@file").
#pragma once

#include <cstring>
#include <map>
#include <memory>
#include <ostream>
#include <vector>

class ErrorReport;

// A subclass registers its options in its constructor; parse() then calls a handler or sets a
// flag for each option met, hands every other word to onArgument(), and reports problems
// through the error reporter without stopping (the caller checks the error count afterwards).
// Arguments are passed on as pointers into words that live as long as the parser.
class ArgParse
{
public:
    using Handler = void (ArgParse::*)(const char *option, const char *argument);

    enum Kind { NoArgument = 0, NextWord = 1, Attached = 2 };

    struct Option
    {
        int kind = NoArgument;
        bool callsHandler = false;
        Handler handler = nullptr;
        const char **value = nullptr;
        bool *flag = nullptr;
    };

    // Descending order, so that of two names where one is a prefix of the other the longer
    // comes first and wins the attached-option search.
    struct Cstring_greater
    {
        bool operator()(const char *a, const char *b) const { return std::strcmp(a, b) > 0; }
    };

    // An indirect file may name another one; this many can be open at once.
    static constexpr int kMaxIndirectDepth = 100;
    // The depth alone does not bound the work: a file that names itself twice would be opened
    // 2^100 times. No honest command line reads this many indirect files in all.
    static constexpr int kMaxIndirectFiles = 1000;

    ArgParse();
    virtual ~ArgParse();
    ArgParse(const ArgParse &) = delete;
    ArgParse &operator=(const ArgParse &) = delete;

    virtual void onArgument(const char *argument) = 0;
    // Counts an error and returns the stream to which the caller writes its message.
    virtual std::ostream &error();

    void parse(int count, char **words);
    void parse(const char *line);
    void parseArgsFromIndirectFile(const char *fileName);
    // Splits one line into words (copies owned by the parser) appended to `words`; returns
    // their count, or 0 after reporting an unterminated quoted word.
    int argifyLine(const char *fileName, int lineNumber, const char *text,
                   std::vector<char *> &words);

    const std::map<const char *, Option, Cstring_greater> &options() const { return m_options; }
    int indirectDepth() const { return m_indirectDepth; }

protected:
    void onOptionGetArgAndCall(const char *name, bool attached, Handler handler);
    void onOptionCall(const char *name, Handler handler); // no argument, acts at once
    void onFlag(const char *name, bool *flag);
    void onOptionGetArg(const char *name, const char **value);

private:
    void addOption(const char *name, const Option &option);
    const std::pair<const char *const, Option> *findAttached(const char *word) const;
    char *keepWord(const char *begin, size_t length);

    std::map<const char *, Option, Cstring_greater> m_options;
    int m_indirectDepth = 0;
    int m_indirectFilesRead = 0;
    bool m_tooManyReported = false; // said once: a runaway would say it at every leaf
    ErrorReport *m_report;
    std::vector<std::unique_ptr<char[]>> m_words;
};
