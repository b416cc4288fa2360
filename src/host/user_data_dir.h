// The per-user data directories: the root one shared by the maker's products and the
// product's own one below it (settings file, user packages).
#pragma once

#include <QString>

// The -rootuserdir option, else $TESSARY_ROOT_USER_DIR (even when empty), else
// "~/.<owner>". Computed on first use and kept.
QString rootUserDataDir();
// Takes precedence over the environment variable when called before the first use.
void setRootUserDataDir(const QString &dir);
// rootUserDataDir() + "/Tessary for ARM": the value of $(StudioUserDir).
QString studioUserDataDir();
