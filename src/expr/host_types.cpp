#include "expr/host_types.h"

QString SimpleType::name() const
{
    QString base;
    switch (m_size) {
    case 1:
        base = QStringLiteral("char");
        break;
    case 2:
        base = QStringLiteral("short");
        break;
    case 8:
        base = QStringLiteral("long long");
        break;
    default:
        base = QStringLiteral("int");
        break;
    }
    return m_signed ? base : QStringLiteral("unsigned ") + base;
}
