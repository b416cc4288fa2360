// SolutionLoadError: the one exception every failure to load a solution throws.
#pragma once

#include <QString>

// The driver prints "load error: " followed by name + message, or the message alone when the
// XML reader rejected the file (badXml, with the reader's line).
struct SolutionLoadError
{
    SolutionLoadError(const QString &name_, bool badXml_, const QString &message_, int line_ = 0,
                      int column_ = 0)
        : name(name_), badXml(badXml_), message(message_), line(line_), column(column_)
    {
    }

    // The message as one text: name and message, or the reader's message alone.
    QString text() const { return badXml ? message : name + message; }

    QString name;
    bool badXml = false;
    QString message;
    qint32 line = 0;
    qint32 column = 0;
};
