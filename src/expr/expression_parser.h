// The precedence-climbing parser that builds an expression tree, and the host interface
// through which the tree looks up symbols, registers and memory.
#pragma once

#include "expr/expression.h"
#include "expr/expression_type.h"

#include <QStringList>
#include <list>
#include <memory>

class Lexer;
class BaseType;
class MarkerType;

// Binary operators climb from level -4 (the comma) to 9 (`* / %`); level 10 is a unary
// expression. Assignment-like operators, `?:`, `,` and `>>>` are refused with "operator not
// supported". Every fault is a ParserException. Nesting and size are bounded (kMaxNesting,
// kMaxNodes) so that evaluating or freeing a tree can never exhaust the stack.
class ExpressionParser
{
public:
    static constexpr int kMaxNesting = 256;
    static constexpr int kMaxNodes = 4096;

    explicit ExpressionParser(Lexer *lexer) : m_lexer(lexer) {}
    virtual ~ExpressionParser() = default;

    // Builds the tree of `text`; null for empty text. `endPosition`, when given, receives the
    // offset at which parsing stopped (the text length when everything was read).
    ExpressionPtr parse(const char *text, int *endPosition);
    // Builds and evaluates; an empty text gives an Unknown value.
    ExpressionType parseAndEvaluate(const char *text, int *endPosition);

    // Host operations.
    virtual ExpressionType getScopedIdentifier(const QStringList &parts) = 0;
    virtual ExpressionType getIdentifier(const char *name) = 0;
    virtual ExpressionType getRegister(const char *name) = 0;
    virtual bool isUserTypeName(const char *name) = 0;
    virtual ExpressionType cast(BaseType *type, const ExpressionType &value) = 0;
    virtual ExpressionType getDereference(MarkerType *marker, unsigned index) = 0;
    virtual ExpressionType getDereference(MarkerType *marker, const char *member) = 0;
    virtual ExpressionType getDereference(MarkerType *marker, const QStringList &path) = 0;
    virtual ExpressionType getAddressof(MarkerType *marker);
    virtual ExpressionType getSizeof(MarkerType *marker);
    virtual ExpressionType assign(MarkerType *marker, const ExpressionType &value) = 0;
    virtual ExpressionType getValue(MarkerType *marker) = 0;
    virtual ExpressionType callFunction(MarkerType *marker, std::list<ExpressionType> &arguments);

protected:
    Lexer *lexer() const { return m_lexer; }

private:
    ExpressionPtr parseLevel(int level);
    ExpressionPtr makeBinary(int token, ExpressionPtr left, ExpressionPtr right);
    ExpressionPtr parseUnary();
    ExpressionPtr parsePrimary();
    ExpressionPtr parsePostfix(ExpressionPtr operand);
    ExpressionPtr parseParenthesised();
    ExpressionPtr parseSizeof();
    ExpressionPtr parseScopedIdentifier(const QString &first);
    std::shared_ptr<BaseType> parseType();
    bool startsType();
    void expect(int token, const char *message);
    template <typename T, typename... Args> ExpressionPtr make(Args &&...args);

    Lexer *m_lexer;
    int m_depth = 0;  // nesting of unary expressions and parentheses
    int m_nodes = 0;  // nodes built for the text being parsed
};
