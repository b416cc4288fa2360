// The lexer with the C token table: numbers, strings, identifiers, registers and operators.
#pragma once

#include "expr/lexer.h"

// Token numbers of the C table. Precedence 10 marks tokens that are not binary operators;
// negative precedences mark assignment-like ones, which the parser refuses.
namespace CToken {
enum : int {
    End = 0,
    Whitespace = 2,
    Integer = 3,
    Hex = 4,
    Fraction = 5,
    String = 6,
    Identifier = 7,
    Register = 8,
    Semicolon = 9,
    Colon = 10,
    Scope = 11,
    LeftParen = 12,
    RightParen = 13,
    LeftBracket = 14,
    RightBracket = 15,
    LeftBrace = 16,
    RightBrace = 17,
    Dot = 18,
    Arrow = 19,
    Increment = 20,
    Decrement = 21,
    BitNot = 22,
    LogicalNot = 23,
    Multiply = 24,
    Divide = 25,
    Mod = 26,
    Plus = 27,
    Minus = 28,
    Lshift = 29,
    Rshift = 30,
    UnsignedRshift = 31,
    Lt = 32,
    Le = 33,
    Gt = 34,
    Ge = 35,
    Eq = 36,
    Ne = 37,
    BitAnd = 38,
    BitXor = 39,
    BitOr = 40,
    LogicalAnd = 41,
    LogicalOr = 42,
    Question = 43,
    Assign = 44,
    // 45 to 55 are the compound assignments, 56 the comma.
    Comma = 56
};
}

class CStyleLexer : public Lexer
{
public:
    CStyleLexer();
};
