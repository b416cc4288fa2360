// Renames the default sections of a compiler-generated assembly file, so that code and data
// of chosen source files can be placed apart by the linker script.
#pragma once

#include <string>

struct SectionNames
{
    std::string code = ".text";
    std::string data = ".data";
    std::string zeroed = ".bss";
    std::string constant = ".rodata";
};

// The line with every reference to a default section renamed: the ".text", ".data" and ".bss"
// directives become ".section" directives, and ".section"/".pushsection" directives whose
// name is a default section or one of its sub-sections (".text.main", ".rodata.str1.4") get
// the new name with the same suffix. A renamed directive without flags gets the flags of its
// kind, because the assembler gives a section name it does not know no flags at all.
std::string renameSections(const std::string &line, const SectionNames &names);
