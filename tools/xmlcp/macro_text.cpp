#include "macro_text.h"

#include <cstddef>

namespace {

struct Pass
{
    std::string result;
    bool again = false;
};

// The text of a reference opened at `open` (the "$"), without "$(" and the closing ")";
// `close` is set to the closing parenthesis. False when the reference is never closed.
bool referenceText(const std::string &text, std::size_t open, std::string &inside,
                   std::size_t &close, bool &hasDollar)
{
    int depth = 0;
    for (std::size_t i = open + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '(')
            ++depth;
        else if (c == ')' && --depth == 0) {
            inside = text.substr(open + 2, i - open - 2);
            close = i;
            return true;
        } else if (c == '$')
            hasDollar = true;
    }
    return false;
}

std::string substitute(const std::string &inside, const MacroLookup &lookup, bool &again)
{
    const std::size_t colon = inside.find(':');
    const std::string name = inside.substr(0, colon);
    std::string fallback = "$(" + inside + ")";
    if (colon != std::string::npos) {
        fallback = inside.substr(colon + 1);
        if (!fallback.empty() && fallback[0] == ':') {
            fallback.erase(0, 1);
            again = false;
        }
    }
    if (const auto value = lookup(name))
        return *value;
    return fallback;
}

Pass expandOnce(const std::string &text, const MacroLookup &lookup)
{
    Pass pass;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '$' || i + 1 >= text.size() || text[i + 1] != '(') {
            pass.result += text[i++];
            continue;
        }
        std::string inside;
        std::size_t close = 0;
        bool hasDollar = false;
        if (!referenceText(text, i, inside, close, hasDollar)) {
            pass.result += text.substr(i);
            break;
        }
        bool again = hasDollar;
        pass.result += substitute(inside, lookup, again);
        pass.again = pass.again || again;
        i = close + 1;
    }
    return pass;
}

} // namespace

std::string expandMacros(const std::string &text, const MacroLookup &lookup, int maxPasses)
{
    std::string current = text;
    for (int n = 0; n < maxPasses; ++n) {
        Pass pass = expandOnce(current, lookup);
        current = std::move(pass.result);
        if (!pass.again)
            break;
    }
    return current;
}
