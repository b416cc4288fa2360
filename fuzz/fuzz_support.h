// Helpers shared by the fuzz targets: a private scratch directory for inputs that the code under
// test only reads from files, and a stream that swallows diagnostics.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <ostream>

// A directory of this process, removed at exit. Inputs are written under fixed names so that a
// fuzzed file can refer to itself ("in.xml") and to its siblings.
const QString &scratchDirectory();

// Writes `size` bytes to `name` inside the scratch directory and returns the absolute path.
QString writeScratchFile(const QString &name, const std::uint8_t *data, std::size_t size);
QString writeScratchFile(const QString &name, const QByteArray &bytes);

// Discards everything written to it; diagnostics of rejected inputs would drown the fuzzer's
// own output.
std::ostream &nullStream();

// Splits the input at its first NUL byte: the part before it and the part after it (empty when
// there is no NUL). Targets that need two texts take them this way, so that a seed is simply
// the two files joined by a NUL.
void splitAtNul(const std::uint8_t *data, std::size_t size, QByteArray &first, QByteArray &second);
