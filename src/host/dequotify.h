// Splitting a command text into words.
#pragma once

#include <QString>
#include <QStringList>

// Words are separated by blanks outside double quotes; quotes group and are dropped, \" is a
// literal quote, and empty words (also a quoted "") are not kept.
QStringList dequotify(const QString &text);
