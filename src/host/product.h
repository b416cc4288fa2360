// The product's constants: names, release numbers and target facts that every layer reads.
#pragma once

#include <QString>

inline QString Get_PLATFORM() { return QStringLiteral("ARM"); }
inline int Get_TARGET_PROCESSOR() { return 8; }
// Hexadecimal digits of a target address, and the printf format that writes one.
inline int Get_ADDRESS_WIDTH() { return 8; }
inline const char *Get_ADDRESS_FORMAT() { return "%08x"; }
// Non-zero: the target has a C++ compiler.
inline int Get_TARGET_CPP() { return 1; }
// Null: assembly files have no single fixed extension on this target.
inline QString Get_ASM_FILE_EXTENSION() { return QString(); }

inline QString Get_DEFAULT_CODE_SECTION_NAME() { return QStringLiteral(".text"); }
inline QString Get_DEFAULT_CONST_SECTION_NAME() { return QStringLiteral(".rodata"); }
inline QString Get_DEFAULT_DATA_SECTION_NAME() { return QStringLiteral(".data"); }
inline QString Get_DEFAULT_ZEROED_SECTION_NAME() { return QStringLiteral(".bss"); }
inline QString Get_DEFAULT_VECTORS_SECTION_NAME() { return QStringLiteral(".vectors"); }

inline QString Get_STUDIO_BRANDING() { return QStringLiteral("Quillmark for ARM"); }
inline QString Get_STUDIO_NAME() { return QStringLiteral("Quillmark"); }
inline QString Get_PRODUCT_GENERIC_NAME() { return QStringLiteral("Tessary for ARM"); }
inline QString Get_SOFTWARE_RELEASE() { return QStringLiteral("2.0"); }

// The product line's major number; not the same thing as Get_RELEASE_MAJOR_NUMBER().
inline int Get_RELEASE_MAJOR() { return 4; }
inline int Get_RELEASE_MAJOR_NUMBER() { return 2; }
inline QString Get_RELEASE_MAJOR_STRING() { return QStringLiteral("2."); }
inline int Get_RELEASE_MINOR_NUMBER() { return 0; }
inline QString Get_RELEASE_MINOR_STRING() { return QStringLiteral("0"); }
inline int Get_RELEASE_REVISION_NUMBER() { return 4; }
inline QString Get_RELEASE_REVISION_STRING() { return QStringLiteral("4"); }

// The maker's name: the per-user data directory is "~/." + this name in lower case.
inline QString Get_OWNER() { return QStringLiteral("Tessary"); }
