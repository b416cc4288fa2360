#include "host/qtx.h"

#include "support/qt_printers.h"

#include <gtest/gtest.h>

namespace {

struct ShellRun
{
    int status;
    QStringList out;
    QStringList err;
};

ShellRun shell(const QString &script, const QString &directory = QString())
{
    ShellRun r{};
    r.status = QTx::spawnProcess({"/bin/sh", "-c", script}, true, directory, false, &r.out,
                                 &r.err, true);
    return r;
}

} // namespace

TEST(BufferToLines, SplitsAtLineEnds)
{
    const std::pair<QByteArray, QStringList> cases[] = {
        {"", {}}, {"one\ntwo\n", {"one", "two"}}, {"a\r\nbc", {"a", "bc"}},
        {"a\rxy", {"a", "y"}}, // CR swallows the character after it
        {"x", {"x"}},          // a final fragment is a line, even a short one
        {"a\n\nb", {"a", QString(), "b"}}, {"end\r", {"end"}},
        {"\xe9t\xe9\n", {QString::fromLatin1("\xe9t\xe9")}},
    };
    for (const auto &[data, expected] : cases) {
        SCOPED_TRACE(data.toStdString());
        const QStringList lines = QTx::bufferListToQStringList(data);
        EXPECT_EQ(lines, expected);
        for (qsizetype i = 0; i < lines.size(); ++i)
            EXPECT_EQ(lines.at(i).isNull(), expected.at(i).isNull()) << "line " << i;
    }
}

// The status is the exit code as a signed byte; -1 also stands for a killed child and for a
// program that cannot be started.
TEST(SpawnProcess, StatusIsTheExitCodeAsASignedByte)
{
    EXPECT_EQ(shell("exit 2").status, 2);
    EXPECT_EQ(shell("exit 255").status, -1);
    EXPECT_EQ(shell("exit 128").status, -128);
    const ShellRun killed = shell("echo before; kill -9 $$");
    EXPECT_EQ(killed.status, -1);
    EXPECT_EQ(killed.out, QStringList{"before"});
    QStringList out, err;
    EXPECT_EQ(QTx::spawnProcess({"kestrel-no-such-program-xyz", "-v"}, true, QString(), false,
                                &out, &err, true),
              -1);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_EQ(QTx::spawnProcess({}, true, QString(), false, &out, &err, true), -1);
    // Without collecting, the child inherits the streams.
    EXPECT_EQ(QTx::spawnProcess({"/bin/sh", "-c", "exit 3"}, true, QString(), false, nullptr,
                                nullptr, true),
              3);
}

TEST(SpawnProcess, ArgumentsArePassedAsSeparateWords)
{
    QStringList out, err;
    EXPECT_EQ(QTx::spawnProcess({"printf", "[%s]\\n", "a b", "", "\"q\""}, true, QString(),
                                false, &out, &err, true),
              0);
    EXPECT_EQ(out, (QStringList{"[a b]", "[]", "[\"q\"]"}));

    // Words go out encoded as file names; output comes back byte for byte as Latin-1.
    EXPECT_EQ(QTx::spawnProcess({"printf", "%s", QString::fromUtf8("caf\u00e9")}, true,
                                QString(), false, &out, &err, true),
              0);
    EXPECT_EQ(out, QStringList{QString::fromLatin1("caf\xc3\xa9")});
}

// Both streams are collected separately. A child that floods one stream must not block on a
// full pipe while the other is read, and the lines after the flood must all arrive.
TEST(SpawnProcess, DrainsMegabytesOnEitherStream)
{
    // 10 MB as 20000 lines of 500 characters, then one more line on each stream.
    const QString flood =
        QStringLiteral("{ head -c 10000000 /dev/zero | tr '\\0' x | fold -w 500; echo; }");
    for (const bool toStderr : {true, false}) {
        SCOPED_TRACE(toStderr ? "stderr" : "stdout");
        const ShellRun r = shell(flood + (toStderr ? " >&2" : "")
                            + "; echo last-out; printf tail >&2");
        EXPECT_EQ(r.status, 0);
        const QStringList &flooded = toStderr ? r.err : r.out;
        ASSERT_EQ(flooded.size(), 20001);
        EXPECT_EQ(flooded.at(12345), QString(500, u'x'));
        EXPECT_EQ(r.out.last(), "last-out");
        EXPECT_EQ(r.err.last(), "tail");
    }
}
