// mungeas: renames the default sections of an assembly file in place.
//   mungeas <assembly file> <code section> <data section> <zeroed section> <constant section>

#include "section_renamer.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 6) {
        std::cerr << "usage: mungeas <assembly file> <code section> <data section> "
                     "<zeroed section> <constant section>\n";
        return 2;
    }
    const std::string file = argv[1];
    const SectionNames names{argv[2], argv[3], argv[4], argv[5]};

    std::ifstream in(file);
    if (!in) {
        std::cerr << "mungeas: cannot read \"" << file << "\"\n";
        return 1;
    }
    // Write beside the input and rename over it, so a failure never leaves half a file.
    const std::string temporary = file + ".mungeas";
    std::ofstream out(temporary, std::ios::trunc);
    if (!out) {
        std::cerr << "mungeas: cannot write \"" << temporary << "\"\n";
        return 1;
    }
    std::string line;
    while (std::getline(in, line))
        out << renameSections(line, names) << '\n';
    out.close();
    if (!out || in.bad() || std::rename(temporary.c_str(), file.c_str()) != 0) {
        std::remove(temporary.c_str());
        std::cerr << "mungeas: cannot rewrite \"" << file << "\"\n";
        return 1;
    }
    return 0;
}
