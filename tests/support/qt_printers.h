// Makes GoogleTest print Qt strings as text instead of bytes, and tells null from empty.
#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

void PrintTo(const QString &text, std::ostream *os);
void PrintTo(const QStringList &list, std::ostream *os);
