#include "support/qt_printers.h"

void PrintTo(const QString &text, std::ostream *os)
{
    if (text.isNull())
        *os << "QString()";
    else
        *os << '"' << text.toStdString() << '"';
}

void PrintTo(const QStringList &list, std::ostream *os)
{
    *os << '{';
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (i)
            *os << ", ";
        PrintTo(list.at(i), os);
    }
    *os << '}';
}
