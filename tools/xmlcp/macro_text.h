// $(...) expansion of a text from a table of definitions, with the same reference forms as
// the build: $(Name), $(Name:fallback) and $(Name::literal fallback).
#pragma once

#include <functional>
#include <optional>
#include <string>

// Looks a macro up; no value means "not defined".
using MacroLookup = std::function<std::optional<std::string>(const std::string &name)>;

// Undefined references without a fallback stay as written, so the text can be expanded again
// later. A reference that brings in a "$" is expanded again, at most `maxPasses` times in all.
std::string expandMacros(const std::string &text, const MacroLookup &lookup, int maxPasses = 32);
