// Entity escaping of values stored in the settings file, and the quotation marks of messages.
#pragma once

#include <QString>

// Escapes &, >, <, ", ' and the middle dot; `&` first so nothing is escaped twice.
QString xmlEscapeEntities(const QString &text);
// The inverse; `&amp;` is replaced last so that "&amp;lt;" comes back as "&lt;".
QString xmlUnescapeEntities(const QString &text);

// The opening and closing quotation marks that console messages put around names.
QString ldquot();
QString rdquot();
