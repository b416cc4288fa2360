#include "xmlcp/macro_text.h"

#include <gtest/gtest.h>

#include <map>

namespace {

std::string expand(const std::string &text, int maxPasses = 32)
{
    static const std::map<std::string, std::string> table{{"A", "1"},
                                                          {"Board", "stm"},
                                                          {"Ref", "$(A)"},
                                                          {"Loop", "$(Missing:$(Loop))"},
                                                          {"F(x)", "f"}};
    return expandMacros(
        text,
        [](const std::string &name) -> std::optional<std::string> {
            const auto it = table.find(name);
            return it == table.end() ? std::nullopt : std::optional<std::string>(it->second);
        },
        maxPasses);
}

TEST(MacroText, ExpandsReferencesLikeTheBuild)
{
    struct Case
    {
        const char *text;
        const char *expected;
        int maxPasses = 32;
    };
    const Case cases[] = {
        {"x$(A)y", "x1y"}, {"$(B)", "$(B)"}, {"$(B:dflt)", "dflt"}, {"$(A:dflt)", "1"},
        {"$$(A)", "$1"}, {"cost $5", "cost $5"}, {"$(A", "$(A"}, {"$(B:$(A))", "1"},
        {"$(B::$(A))", "$(A)"}, {"$(F(x))", "f"},
        {"<map board=\"$(Board)\"/>", "<map board=\"stm\"/>"}, {"$()", "$()"},
        // A value is not expanded again unless a reference brought a dollar.
        {"$(Ref)", "$(A)"}, {"$(Missing:$(Ref))", "$(A)"},
        // Self references stop after the limit.
        {"$(Loop)", "$(Missing:$(Loop))", 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(expand(c.text, c.maxPasses), c.expected);
    }
}

} // namespace
