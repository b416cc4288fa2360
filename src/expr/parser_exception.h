// The one error of the expression evaluator: a syntax or evaluation fault with its message.
#pragma once

#include <QString>

class ParserException
{
public:
    explicit ParserException(const QString &cause) : m_cause(cause) {}
    QString getCause() const { return m_cause; }

private:
    QString m_cause;
};
