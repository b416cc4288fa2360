#include "xml/xml_entities.h"

QString xmlEscapeEntities(const QString &text)
{
    QString result = text;
    result.replace(QChar(u'&'), QStringLiteral("&amp;"));
    result.replace(QChar(u'>'), QStringLiteral("&gt;"));
    result.replace(QChar(u'<'), QStringLiteral("&lt;"));
    result.replace(QChar(u'"'), QStringLiteral("&quot;"));
    result.replace(QChar(u'\''), QStringLiteral("&apos;"));
    result.replace(QChar(0x00B7), QStringLiteral("&middot;"));
    return result;
}

QString xmlUnescapeEntities(const QString &text)
{
    QString result = text;
    result.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    result.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    result.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    result.replace(QStringLiteral("&apos;"), QStringLiteral("'"));
    result.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    result.replace(QStringLiteral("&middot;"), QString(QChar(0x00B7)));
    result.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return result;
}

QString ldquot()
{
    return QStringLiteral("\"");
}

QString rdquot()
{
    return QStringLiteral("\"");
}
