#include "expr/lexer.h"

#include "expr/number_format.h"
#include "expr/parser_exception.h"

#include <cstdlib>

void Lexer::addToken(const char *regex, int token, int precedence)
{
    QRegularExpression expression(QString::fromLatin1(regex));
    expression.optimize();
    m_rules.push_back({expression, token, precedence});
}

void Lexer::reset(const QString &text)
{
    m_text = text;
    m_next = 0;
    m_tokenStart = 0;
    m_token = kEnd;
    m_precedence = 10;
    m_tokenText.clear();
}

int Lexer::gettok()
{
    for (;;) {
        m_tokenStart = m_next;
        if (m_next >= m_text.size()) {
            m_token = kEnd;
            m_precedence = 10;
            m_tokenText.clear();
            return m_token;
        }
        const Rule *matched = nullptr;
        int length = 0;
        for (const Rule &rule : m_rules) {
            const QRegularExpressionMatch match = rule.regex.match(
                m_text, m_next, QRegularExpression::NormalMatch,
                QRegularExpression::AnchorAtOffsetMatchOption |
                    QRegularExpression::DontCheckSubjectStringMatchOption);
            if (match.hasMatch() && match.capturedLength() > 0) {
                matched = &rule;
                length = int(match.capturedLength());
                break;
            }
        }
        if (!matched)
            throw ParserException(QStringLiteral("unrecognised token: ") + m_text.mid(m_next));
        m_next += length;
        if (matched->token == kWhitespace)
            continue;
        m_token = matched->token;
        m_precedence = matched->precedence;
        m_tokenText = m_text.mid(m_tokenStart, length);
        return m_token;
    }
}

bool Lexer::identIs(const char *text) const
{
    return m_tokenText == QLatin1String(text);
}

qint64 Lexer::intTok() const
{
    return int64FromString(m_tokenText);
}

// Read like C strtoul into a 32-bit number: larger values saturate at 0xFFFFFFFF.
qint64 Lexer::hexTok() const
{
    const QByteArray bytes = m_tokenText.toLatin1();
    const unsigned long long value = std::strtoull(bytes.constData(), nullptr, 0);
    return qint64(value > 0xFFFFFFFFull ? 0xFFFFFFFFull : value);
}

double Lexer::doubleTok() const
{
    const QByteArray bytes = m_tokenText.toLatin1();
    return std::strtod(bytes.constData(), nullptr);
}

QString Lexer::strTok() const
{
    if (m_tokenText.size() >= 2 && m_tokenText.startsWith(u'"') && m_tokenText.endsWith(u'"'))
        return m_tokenText.mid(1, m_tokenText.size() - 2);
    return m_tokenText;
}
