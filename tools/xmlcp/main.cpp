// xmlcp: copies an XML file with its $(...) references expanded.
//   xmlcp <source> <destination> [name=value ...]
// A reference is expanded from the definitions on the command line, then from the
// environment; references to neither are copied as written.

#include "macro_text.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

namespace {

std::map<std::string, std::string> definitions(int argc, char **argv)
{
    std::map<std::string, std::string> table;
    for (int i = 3; i < argc; ++i) {
        const std::string item = argv[i];
        const std::size_t equals = item.find('=');
        table[item.substr(0, equals)] = equals == std::string::npos ? "" : item.substr(equals + 1);
    }
    return table;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::cerr << "usage: xmlcp <source> <destination> [name=value ...]\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "xmlcp: cannot read \"" << argv[1] << "\"\n";
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();

    const auto table = definitions(argc, argv);
    const MacroLookup lookup = [&table](const std::string &name) -> std::optional<std::string> {
        if (const auto it = table.find(name); it != table.end())
            return it->second;
        if (const char *value = std::getenv(name.c_str()))
            return std::string(value);
        return std::nullopt;
    };

    // Like the build's own outputs, the destination's directory is made when missing.
    const std::filesystem::path destination(argv[2]);
    std::error_code ignored;
    if (destination.has_parent_path())
        std::filesystem::create_directories(destination.parent_path(), ignored);
    std::ofstream out(destination, std::ios::binary | std::ios::trunc);
    out << expandMacros(text.str(), lookup);
    out.close();
    if (!out) {
        std::cerr << "xmlcp: cannot write \"" << argv[2] << "\"\n";
        return 1;
    }
    return 0;
}
