#include "expr/expression_parser.h"

#include "expr/binary_expression.h"
#include "expr/c_style_lexer.h"
#include "expr/host_types.h"
#include "expr/parser_exception.h"

#include <cstring>

namespace {

[[noreturn]] void fail(const char *message)
{
    throw ParserException(QString::fromLatin1(message));
}

class NestingGuard
{
public:
    explicit NestingGuard(int &depth) : m_depth(depth)
    {
        if (++m_depth > ExpressionParser::kMaxNesting) {
            --m_depth;
            fail("expression nested too deeply");
        }
    }
    ~NestingGuard() { --m_depth; }

private:
    int &m_depth;
};

// Words that begin a cast: `(unsigned long)x`, `(struct s *)p`, `(register r)x`.
const char *const kTypeWords[] = {"long",  "int",      "short",  "char",    "unsigned",
                                  "signed", "const",   "volatile", "struct", "register"};

} // namespace

template <typename T, typename... Args> ExpressionPtr ExpressionParser::make(Args &&...args)
{
    if (++m_nodes > kMaxNodes)
        fail("expression too complex");
    return std::make_unique<T>(this, std::forward<Args>(args)...);
}

ExpressionPtr ExpressionParser::parse(const char *text, int *endPosition)
{
    m_depth = 0;
    m_nodes = 0;
    m_lexer->reset(QString::fromLatin1(text ? text : ""));
    m_lexer->gettok();
    ExpressionPtr tree;
    if (m_lexer->token() != CToken::End)
        tree = parseLevel(-4);
    if (endPosition)
        *endPosition = m_lexer->position();
    return tree;
}

ExpressionType ExpressionParser::parseAndEvaluate(const char *text, int *endPosition)
{
    const ExpressionPtr tree = parse(text, endPosition);
    return tree ? tree->evaluate() : ExpressionType();
}

ExpressionPtr ExpressionParser::parseLevel(int level)
{
    if (level >= 10)
        return parseUnary();
    ExpressionPtr left = parseLevel(level + 1);
    while (m_lexer->token() != CToken::End && m_lexer->precedence() == level) {
        const int token = m_lexer->token();
        m_lexer->gettok();
        ExpressionPtr right = parseLevel(level + 1);
        left = makeBinary(token, std::move(left), std::move(right));
    }
    return left;
}

ExpressionPtr ExpressionParser::makeBinary(int token, ExpressionPtr l, ExpressionPtr r)
{
    switch (token) {
    case CToken::LogicalOr:
        return make<LogicalOrExpression>(std::move(l), std::move(r));
    case CToken::LogicalAnd:
        return make<LogicalAndExpression>(std::move(l), std::move(r));
    case CToken::BitOr:
        return make<BitOrExpression>(std::move(l), std::move(r));
    case CToken::BitXor:
        return make<BitXorExpression>(std::move(l), std::move(r));
    case CToken::BitAnd:
        return make<BitAndExpression>(std::move(l), std::move(r));
    case CToken::Eq:
        return make<EqExpression>(std::move(l), std::move(r));
    case CToken::Ne:
        return make<NeExpression>(std::move(l), std::move(r));
    case CToken::Lt:
        return make<LtExpression>(std::move(l), std::move(r));
    case CToken::Le:
        return make<LeExpression>(std::move(l), std::move(r));
    case CToken::Gt:
        return make<GtExpression>(std::move(l), std::move(r));
    case CToken::Ge:
        return make<GeExpression>(std::move(l), std::move(r));
    case CToken::Lshift:
        return make<LshiftExpression>(std::move(l), std::move(r));
    case CToken::Rshift:
        return make<RshiftExpression>(std::move(l), std::move(r));
    case CToken::Plus:
        return make<PlusExpression>(std::move(l), std::move(r));
    case CToken::Minus:
        return make<MinusExpression>(std::move(l), std::move(r));
    case CToken::Multiply:
        return make<MultiplyExpression>(std::move(l), std::move(r));
    case CToken::Divide:
        return make<DivideExpression>(std::move(l), std::move(r));
    case CToken::Mod:
        return make<ModExpression>(std::move(l), std::move(r));
    default:
        fail("operator not supported");
    }
}

ExpressionPtr ExpressionParser::parseUnary()
{
    NestingGuard guard(m_depth);
    const int token = m_lexer->token();
    switch (token) {
    case CToken::Increment:
    case CToken::Decrement: {
        m_lexer->gettok();
        ExpressionPtr target = parseUnary();
        const auto mode = token == CToken::Increment ? AssignExpression::PreIncrement
                                                     : AssignExpression::PreDecrement;
        return make<AssignExpression>(std::move(target),
                                      make<ConstantExpression>(ExpressionType::fromSigned(1)),
                                      mode);
    }
    case CToken::BitNot:
        m_lexer->gettok();
        return make<BitNotExpression>(parseUnary());
    case CToken::LogicalNot:
        m_lexer->gettok();
        return make<LogicalNotExpression>(parseUnary());
    case CToken::Minus:
        m_lexer->gettok();
        return make<NegateExpression>(parseUnary());
    case CToken::Multiply: {
        m_lexer->gettok();
        ExpressionPtr pointer = parseUnary();
        return make<LeftSquareBracketExpression>(
            std::move(pointer), make<ConstantExpression>(ExpressionType::fromSigned(0)));
    }
    case CToken::BitAnd:
        m_lexer->gettok();
        return make<AddressofExpression>(parseUnary());
    default:
        return parsePostfix(parsePrimary());
    }
}

ExpressionPtr ExpressionParser::parsePrimary()
{
    Lexer &lex = *m_lexer;
    ExpressionPtr result;
    switch (lex.token()) {
    case CToken::Integer:
        result = make<ConstantExpression>(ExpressionType::fromSigned(lex.intTok()));
        break;
    case CToken::Hex:
        result = make<ConstantExpression>(ExpressionType::fromSigned(lex.hexTok()));
        break;
    case CToken::Fraction:
        result = make<ConstantExpression>(ExpressionType::fromDouble(lex.doubleTok()));
        break;
    case CToken::String:
        result = make<ConstantExpression>(ExpressionType::fromString(lex.strTok()));
        break;
    case CToken::Register:
        result = make<RegisterExpression>(lex.tokenText().mid(1));
        break;
    case CToken::Scope:
        return parseScopedIdentifier(QString(""));
    case CToken::LeftParen:
        return parseParenthesised();
    case CToken::Identifier: {
        if (lex.identIs("sizeof"))
            return parseSizeof();
        const QString name = lex.tokenText();
        lex.gettok();
        if (lex.token() == CToken::Scope)
            return parseScopedIdentifier(name);
        return make<IdentifierExpression>(name);
    }
    default:
        fail("expression expected");
    }
    lex.gettok();
    return result;
}

// At a `::`, with the part before it (empty for a leading `::`) already read.
ExpressionPtr ExpressionParser::parseScopedIdentifier(const QString &first)
{
    QStringList parts{first};
    while (m_lexer->token() == CToken::Scope) {
        m_lexer->gettok();
        if (m_lexer->token() != CToken::Identifier)
            fail("expression expected");
        parts << m_lexer->tokenText();
        m_lexer->gettok();
    }
    return make<ScopedIdentifierExpression>(parts);
}

ExpressionPtr ExpressionParser::parseSizeof()
{
    m_lexer->gettok();
    expect(CToken::LeftParen, "'(' expected");
    ExpressionPtr operand = parseLevel(-4);
    expect(CToken::RightParen, "')' expected");
    return make<SizeofExpression>(std::move(operand));
}

ExpressionPtr ExpressionParser::parseParenthesised()
{
    NestingGuard guard(m_depth);
    m_lexer->gettok();
    if (startsType()) {
        std::shared_ptr<BaseType> type = parseType();
        expect(CToken::RightParen, "')' expected");
        return make<CastExpression>(std::move(type), parseUnary());
    }
    ExpressionPtr inner = parseLevel(-4);
    expect(CToken::RightParen, "')' expected");
    return inner;
}

bool ExpressionParser::startsType()
{
    if (m_lexer->token() != CToken::Identifier)
        return false;
    for (const char *word : kTypeWords) {
        if (m_lexer->identIs(word))
            return true;
    }
    return isUserTypeName(m_lexer->tokenText().toLatin1().constData());
}

std::shared_ptr<BaseType> ExpressionParser::parseType()
{
    Lexer &lex = *m_lexer;
    std::shared_ptr<BaseType> type;
    int longs = 0;
    int size = 4;
    bool isSigned = true;
    for (; lex.token() == CToken::Identifier && !type; lex.gettok()) {
        if (lex.identIs("struct") || lex.identIs("register")) {
            const bool isStruct = lex.identIs("struct");
            lex.gettok();
            if (lex.token() != CToken::Identifier && lex.token() != CToken::Register)
                fail("')' expected");
            const QString name = lex.tokenText();
            if (isStruct)
                type = std::make_shared<StructType>(name);
            else
                type = std::make_shared<RegisterType>(name);
        } else if (lex.identIs("unsigned") || lex.identIs("signed")) {
            isSigned = lex.identIs("signed");
        } else if (lex.identIs("long")) {
            size = ++longs > 1 ? 8 : 4;
        } else if (lex.identIs("short")) {
            size = 2;
        } else if (lex.identIs("char")) {
            size = 1;
        } else if (!lex.identIs("int") && !lex.identIs("const") && !lex.identIs("volatile")) {
            if (!isUserTypeName(lex.tokenText().toLatin1().constData()))
                break;
            type = std::make_shared<StructType>(lex.tokenText());
        }
    }
    if (!type)
        type = std::make_shared<SimpleType>(size, isSigned);
    while (lex.token() == CToken::Multiply) {
        type = std::make_shared<PointerType>(type);
        lex.gettok();
    }
    return type;
}

ExpressionPtr ExpressionParser::parsePostfix(ExpressionPtr operand)
{
    Lexer &lex = *m_lexer;
    for (;;) {
        switch (lex.token()) {
        case CToken::LeftBracket: {
            lex.gettok();
            ExpressionPtr index = parseLevel(-4);
            expect(CToken::RightBracket, "']' expected");
            operand = make<LeftSquareBracketExpression>(std::move(operand), std::move(index));
            break;
        }
        case CToken::Dot:
        case CToken::Arrow: {
            const bool throughPointer = lex.token() == CToken::Arrow;
            lex.gettok();
            if (lex.token() != CToken::Identifier)
                fail("expression expected");
            const QString member = lex.tokenText();
            lex.gettok();
            operand = make<DotExpression>(std::move(operand), member, throughPointer);
            break;
        }
        case CToken::LeftParen: {
            lex.gettok();
            std::vector<ExpressionPtr> arguments;
            while (lex.token() != CToken::RightParen && lex.token() != CToken::End) {
                arguments.push_back(parseLevel(-3));
                if (lex.token() != CToken::Comma)
                    break;
                lex.gettok();
            }
            expect(CToken::RightParen, "')' expected");
            operand = make<CallExpression>(std::move(operand), std::move(arguments));
            break;
        }
        case CToken::Increment:
        case CToken::Decrement: {
            const auto mode = lex.token() == CToken::Increment ? AssignExpression::PostIncrement
                                                               : AssignExpression::PostDecrement;
            lex.gettok();
            operand = make<AssignExpression>(
                std::move(operand), make<ConstantExpression>(ExpressionType::fromSigned(1)), mode);
            break;
        }
        default:
            return operand;
        }
    }
}

void ExpressionParser::expect(int token, const char *message)
{
    if (m_lexer->token() != token)
        fail(message);
    m_lexer->gettok();
}

ExpressionType ExpressionParser::getAddressof(MarkerType *)
{
    fail("addressof not implemented");
}

ExpressionType ExpressionParser::getSizeof(MarkerType *)
{
    fail("sizeof not implemented");
}

ExpressionType ExpressionParser::callFunction(MarkerType *, std::list<ExpressionType> &)
{
    fail("function calling not implemented");
}
