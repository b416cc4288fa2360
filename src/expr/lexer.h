// A table-driven lexer: each token kind is a regular expression tried in the order added.
#pragma once

#include <QRegularExpression>
#include <QString>
#include <QtGlobal>
#include <vector>

// At the current position the kinds are tried in the order in which they were added and the
// first that matches there wins, so longer operators must be added before their prefixes.
// Whitespace tokens (token 2) are skipped. A position where nothing matches throws a
// ParserException "unrecognised token: ...".
class Lexer
{
public:
    static constexpr int kEnd = 0;
    static constexpr int kWhitespace = 2;

    virtual ~Lexer() = default;

    void addToken(const char *regex, int token, int precedence);
    void reset(const QString &text);
    // Advances to the next token and returns it; kEnd at the end of the text.
    int gettok();

    int token() const { return m_token; }
    int precedence() const { return m_precedence; }
    QString tokenText() const { return m_tokenText; }
    bool identIs(const char *text) const;
    // Offset in the text of the current token (the text length at the end).
    int position() const { return m_tokenStart; }

    qint64 intTok() const;
    qint64 hexTok() const;
    double doubleTok() const;
    QString strTok() const;

private:
    struct Rule
    {
        QRegularExpression regex;
        int token;
        int precedence;
    };

    std::vector<Rule> m_rules;
    QString m_text;
    int m_next = 0;
    int m_tokenStart = 0;
    int m_token = kEnd;
    int m_precedence = 10;
    QString m_tokenText;
};
