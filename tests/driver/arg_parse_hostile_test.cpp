// Indirect option files that are not what they should be: files that reopen themselves more than
// once per level (found by fuzzing, where they kept the parser busy for 2^100 file opens) and a
// directory given as a file. Each must end with one report.
#include "driver/arg_parse.h"
#include "driver/error_report.h"
#include "driver/kestrel_arg_parse.h"

#include "support/run_kestrel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>

namespace {

class CountingParse : public ArgParse
{
public:
    void onArgument(const char *) override { ++arguments; }
    int arguments = 0;
};

int occurrences(const std::string &text, const std::string &part)
{
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class IndirectFileLimits : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(tmp.isValid()); }
    void TearDown() override { report = previous; }

    QTemporaryDir tmp;
    std::ostringstream stream;
    ErrorReport reporter{"kestrel", stream};
    ErrorReport *previous = std::exchange(report, &reporter);
};

} // namespace

TEST_F(IndirectFileLimits, AFileNamingItselfTwiceIsReadABoundedNumberOfTimes)
{
    const QString path = tmp.filePath("twice.opts");
    const QByteArray at = "@" + QFile::encodeName(path) + "\n";
    writeFile(path, at + at + "word\n");
    CountingParse parser;
    std::string word = "@" + path.toStdString();
    char *words[] = {word.data()};
    parser.parse(1, words);

    EXPECT_EQ(stream.str(), "kestrel: error: too many indirect files\n");
    EXPECT_EQ(reporter.errorCount, 1);
    // Every file read contributes its last line once.
    EXPECT_GT(parser.arguments, ArgParse::kMaxIndirectDepth);
    EXPECT_LE(parser.arguments, ArgParse::kMaxIndirectFiles);
    EXPECT_EQ(parser.indirectDepth(), 0);
}

// Each file is a fuzz input: the text of in.opts, a NUL byte and the text of other.opts, which
// refer to each other by those names relative to the current directory.
TEST_F(IndirectFileLimits, FuzzInputsEndWithOneReport)
{
    const QDir dir(kestrelTestsDir() + "/driver/fixtures/fuzz");
    const QStringList files = dir.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    const QString previousDirectory = QDir::currentPath();
    for (const QString &name : files) {
        SCOPED_TRACE(name.toStdString());
        QFile input(dir.filePath(name));
        ASSERT_TRUE(input.open(QIODevice::ReadOnly));
        const QByteArray bytes = input.readAll();
        const qsizetype nul = bytes.indexOf('\0');
        ASSERT_GE(nul, 0);
        writeFile(tmp.filePath("in.opts"), bytes.left(nul));
        writeFile(tmp.filePath("other.opts"), bytes.mid(nul + 1));
        stream.str(std::string());

        ASSERT_TRUE(QDir::setCurrent(tmp.path()));
        KestrelArgParse parser;
        parser.defineGlobalMacro = [](const QString &, const QString &) {};
        parser.setTemplatesFile = [](const QString &) {};
        parser.helpRequested = [] {};
        char word[] = "@in.opts";
        char *words[] = {word};
        parser.parse(1, words);
        QDir::setCurrent(previousDirectory);

        EXPECT_EQ(occurrences(stream.str(), "too many indirect files"), 1) << stream.str();
        EXPECT_EQ(parser.indirectDepth(), 0);
    }
}
