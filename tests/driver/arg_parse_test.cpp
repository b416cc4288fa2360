#include "driver/arg_parse.h"
#include "driver/error_report.h"
#include "driver/kestrel_arg_parse.h"
#include "support/run_kestrel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <deque>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// Records every option and plain argument in the order the parser met them.
class RecordingParse : public ArgParse
{
public:
    RecordingParse()
    {
        onFlag("-v", &verbose);
        onOptionGetArgAndCall("-o", false, static_cast<Handler>(&RecordingParse::record));
        onOptionGetArgAndCall("-I", true, static_cast<Handler>(&RecordingParse::record));
        onOptionGetArgAndCall("-Iquote", true, static_cast<Handler>(&RecordingParse::record));
        onOptionGetArgAndCall("-W", true, static_cast<Handler>(&RecordingParse::record));
        onOptionCall("-now", static_cast<Handler>(&RecordingParse::record));
        onOptionGetArg("-name", &name);
    }
    void onArgument(const char *argument) override
    {
        seen.push_back(std::string("arg:") + argument);
    }
    void record(const char *option, const char *argument)
    {
        seen.push_back(std::string(option) + "=" + (argument ? argument : "<null>"));
    }

    bool verbose = false;
    const char *name = nullptr;
    std::vector<std::string> seen;
};

class ArgParseTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(tmp.isValid()); }
    void TearDown() override { report = previous; }

    // Like argv, the words outlive the parser: values may point into them.
    std::vector<std::string> parse(const std::vector<std::string> &words,
                                   RecordingParse *into = nullptr)
    {
        RecordingParse &p = into ? *into : parser;
        std::vector<char *> argv;
        for (const std::string &w : words)
            argv.push_back(kept.emplace_back(w).data());
        p.parse(int(argv.size()), argv.data());
        return p.seen;
    }
    std::string file(const std::string &name, const std::string &content)
    {
        const std::string path = tmp.path().toStdString() + "/" + name;
        QFile f(QString::fromStdString(path));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content.data(), qint64(content.size()));
        return path;
    }
    std::string errors() const { return stream.str(); }

    QTemporaryDir tmp;
    std::deque<std::string> kept;
    std::ostringstream stream;
    ErrorReport reporter{"kestrel", stream};
    // The parser takes the process-wide reporter when it is constructed.
    ErrorReport *previous = std::exchange(report, &reporter);
    RecordingParse parser;
};

using Seen = std::vector<std::string>;

} // namespace

// An unknown option is reported and parsing goes on; a missing argument ends the word list.
TEST_F(ArgParseTest, OptionsAndArgumentsInOrder)
{
    struct Case
    {
        std::vector<std::string> words;
        Seen expected;
        std::string errors;
    };
    const Case cases[] = {
        {{"-o", "out", "a.c"}, {"-o=out", "arg:a.c"}, ""},
        {{"-o", "-v"}, {"-o=-v"}, ""},                     // the next word, whatever it is
        {{"-Iinc", "-I"}, {"-I=inc", "-I="}, ""},           // attached; nothing attached is ""
        {{"-Iquotedir"}, {"-Iquote=dir"}, ""},              // the longest attached name wins
        {{"-Wall", "-now"}, {"-W=all", "-now=<null>"}, ""},
        {{"", "x"}, {"arg:", "arg:x"}, ""},                 // an empty word is an argument
        {{"-bogus", "-", "a.c", "-vv"},
         {"arg:a.c"},
         "kestrel: error: unrecognised option -bogus\nkestrel: error: unrecognised option -\n"
         "kestrel: error: unrecognised option -vv\n"},
        {{"a.c", "-o"}, {"arg:a.c"}, "kestrel: error: expected argument for option -o\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        parser.seen.clear();
        stream.str(std::string());
        EXPECT_EQ(parse(c.words), c.expected);
        EXPECT_EQ(errors(), c.errors);
    }
    EXPECT_EQ(reporter.errorCount, 4);
}

TEST_F(ArgParseTest, ArgifyLineSplitsAtBlanksAndQuotes)
{
    const std::pair<const char *, Seen> cases[] = {
        {"-config \"My Config\"", {"-config", "My Config"}}, {"  a   b  ", {"a", "b"}},
        {"\"\" x", {"", "x"}},
        {"\"a\"\"b\"c", {"a", "b", "c"}},    // no blank needed after a closing quote
        {"ab\"cd", {"ab\"cd"}},              // a quote inside a word is a character
        {"a\tb c\r\n", {"a\tb", "c\r"}},     // only blanks separate; the line ends at LF
        {"one\ntwo", {"one"}}, {"", {}},
        {"-project \"abc", {}}, // an unterminated quote drops the whole line
    };
    for (const auto &[text, expected] : cases) {
        SCOPED_TRACE(text);
        std::vector<char *> words;
        const int n = parser.argifyLine("f", 1, text, words);
        Seen got(words.begin(), words.end());
        EXPECT_EQ(got, expected);
        EXPECT_EQ(n, int(expected.size()));
    }
    parser.parse("-o x \"open");
    EXPECT_TRUE(parser.seen.empty());
    EXPECT_EQ(errors(), "kestrel: error: unterminated string in indirect file f(1)\n"
                        "kestrel: error: unterminated string in command line\n");
}

// A missing argument in a file ends only that line.
// A piece of a long line, at most 1023 characters, counts as a line of its own.
TEST_F(ArgParseTest, IndirectFileLinesAreParsedInPlace)
{
    const std::string inner = file("inner.txt", "-o inner\na.c -o\nb.c\n");
    const std::string x(1023, 'x');
    const std::string outer = file("opts.txt", "# -o commented\n"
                                               "  # comment\n"
                                               "-o \"My Config\" first.c\n"
                                               "@" + inner + "\n"
                                               "-project \"abc\n" + x + "y \"q\n"
                                               "last.c   ");
    EXPECT_EQ(parse({"-v", "@" + outer, "after.c"}),
              (Seen{"arg:#", "arg:comment", "-o=My Config", "arg:first.c", "-o=inner", "arg:a.c",
                    "arg:b.c", "arg:" + x, "arg:last.c", "arg:after.c"}));
    EXPECT_EQ(errors(), "kestrel: error: expected argument for option -o\n"
                        "kestrel: error: unterminated string in indirect file " + outer + "(5)\n"
                        "kestrel: error: unterminated string in indirect file " + outer + "(7)\n");
    EXPECT_EQ(parser.indirectDepth(), 0);
}

// A file that names itself once stops at the nesting limit; one that names itself twice per
// level (found by fuzzing: 2^100 file opens) stops at the limit on files read. Either way one
// report, and every file read contributes its last line.
TEST_F(ArgParseTest, SelfReferenceIsBounded)
{
    for (int times : {1, 2}) {
        SCOPED_TRACE(times);
        RecordingParse fresh;
        stream.str(std::string());
        reporter.errorCount = 0;
        const std::string path = tmp.path().toStdString() + "/self.txt";
        std::string text;
        for (int i = 0; i < times; ++i)
            text += "@" + path + "\n";
        file("self.txt", text + "after\n");
        const size_t seen = parse({"@" + path}, &fresh).size();
        EXPECT_EQ(errors(), "kestrel: error: too many indirect files\n");
        EXPECT_EQ(reporter.errorCount, 1);
        if (times == 1) {
            EXPECT_EQ(seen, size_t(ArgParse::kMaxIndirectDepth));
        } else {
            EXPECT_GT(seen, size_t(ArgParse::kMaxIndirectDepth));
            EXPECT_LE(seen, size_t(ArgParse::kMaxIndirectFiles));
        }
        EXPECT_EQ(fresh.indirectDepth(), 0);
    }
}

// Each file is a fuzz input: the text of in.opts, a NUL byte and the text of other.opts, which
// refer to each other by those names relative to the current directory. Each must end with one
// report.
TEST_F(ArgParseTest, FuzzInputsEndWithOneReport)
{
    const QDir dir(kestrelTestsDir() + "/driver/fixtures/fuzz");
    const QStringList files = dir.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    const QString previousDirectory = QDir::currentPath();
    for (const QString &name : files) {
        SCOPED_TRACE(name.toStdString());
        QFile input(dir.filePath(name));
        ASSERT_TRUE(input.open(QIODevice::ReadOnly));
        const std::string bytes = input.readAll().toStdString();
        const size_t nul = bytes.find('\0');
        ASSERT_NE(nul, std::string::npos);
        file("in.opts", bytes.substr(0, nul));
        file("other.opts", bytes.substr(nul + 1));
        stream.str(std::string());

        ASSERT_TRUE(QDir::setCurrent(tmp.path()));
        KestrelArgParse options;
        options.defineGlobalMacro = [](const QString &, const QString &) {};
        options.setTemplatesFile = [](const QString &) {};
        options.helpRequested = [] {};
        char word[] = "@in.opts";
        char *words[] = {word};
        options.parse(1, words);
        QDir::setCurrent(previousDirectory);

        const std::string text = errors();
        const size_t first = text.find("too many indirect files");
        EXPECT_NE(first, std::string::npos) << text;
        EXPECT_EQ(text.find("too many indirect files", first + 1), std::string::npos) << text;
        EXPECT_EQ(options.indirectDepth(), 0);
    }
}
