#include "register_header.h"

#include "engine/linker/memory_map.h"
#include "engine/linker/memory_map_element.h"

#include <QFileInfo>
#include <QTextStream>

namespace {

// Names of the map may hold blanks, dots or dashes: the header uses C identifiers.
QString identifier(const QString &name)
{
    QString result = name;
    for (QChar &c : result)
        if (!c.isLetterOrNumber() && c != u'_')
            c = u'_';
    if (result.isEmpty() || result.front().isDigit())
        result.prepend(u'_');
    return result;
}

QString hex(quint32 value)
{
    return QStringLiteral("0x%1").arg(value, 8, 16, QLatin1Char('0'));
}

const char *registerType(const MemoryMapElement *reg)
{
    switch (reg->hasSize() ? reg->size() : 4) {
    case 1:
        return "unsigned char";
    case 2:
        return "unsigned short";
    default:
        return "unsigned int";
    }
}

void writeRegister(QTextStream &out, const MemoryMapElement *reg)
{
    const QString qualifier =
        reg->isReadOnly() ? QStringLiteral("const volatile") : QStringLiteral("volatile");
    out << "#define " << identifier(reg->name()) << " (*(" << qualifier << ' ' << registerType(reg)
        << " *)" << hex(reg->address()) << ")\n";
}

void writeBitField(QTextStream &out, const MemoryMapElement *field)
{
    const MemoryMapElement *reg = field->parentElement();
    const QString name = identifier(reg->name()) + u'_' + identifier(field->name());
    const quint32 width = field->hasSize() ? field->size() : 1;
    const quint32 mask = width >= 32 ? 0xffffffffu : ((1u << width) - 1u) << field->address();
    out << "#define " << name << "_MASK " << hex(mask) << '\n';
    out << "#define " << name << "_BIT " << field->address() << '\n';
}

void writeEnum(QTextStream &out, const MemoryMapElement *value)
{
    const MemoryMapElement *field = value->parentElement();
    const MemoryMapElement *reg = field ? field->parentElement() : nullptr;
    if (!reg || field->elementType() != MemoryMapElement::BitField)
        return;
    out << "#define " << identifier(reg->name()) << u'_' << identifier(field->name()) << u'_'
        << identifier(value->name()) << ' ' << value->address() << '\n';
}

} // namespace

QString registerHeader(const MemoryMap &map, const QString &headerName, const QString &sourceName)
{
    QString text;
    QTextStream out(&text);
    const QString guard = identifier(QFileInfo(headerName).fileName()).toUpper();
    out << "/* The registers of " << QFileInfo(sourceName).fileName()
        << ", written by mkhdr: edit the memory map, not this file. */\n";
    out << "#ifndef " << guard << "\n#define " << guard << "\n";
    for (const MemoryMapElement *e : map.getAllElements()) {
        if (e->name().isEmpty())
            continue;
        switch (e->elementType()) {
        case MemoryMapElement::RegisterGroup:
            out << "\n/* " << e->name() << " */\n";
            break;
        case MemoryMapElement::Register:
            if (e->hasAddress())
                writeRegister(out, e);
            break;
        case MemoryMapElement::BitField:
            if (e->hasAddress() && e->parentElement())
                writeBitField(out, e);
            break;
        case MemoryMapElement::Enum:
            writeEnum(out, e);
            break;
        default:
            break;
        }
    }
    out << "\n#endif\n";
    out.flush();
    return text;
}
