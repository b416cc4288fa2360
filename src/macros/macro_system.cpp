#include "macros/macro_system.h"

#include "host/path.h"
#include "settings/arm_quillmark_environment_settings.h"
#include "settings/environment_property_value.h"

#include <QDateTime>
#include <QStringView>

namespace {

// Plain constant data, so that the process-wide object below can be constructed before any
// other static object of the program.
struct DynamicFormat
{
    QLatin1String name;
    QLatin1String format;
};

constexpr DynamicFormat kDynamicFormats[] = {
    {QLatin1String("Date"), QLatin1String("d MMMM yyyy")},
    {QLatin1String("DateYear"), QLatin1String("yyyy")},
    {QLatin1String("DateMonth"), QLatin1String("MM")},
    {QLatin1String("DateDay"), QLatin1String("dd")},
    {QLatin1String("Time"), QLatin1String("hh:mm:ss")},
    {QLatin1String("TimeHour"), QLatin1String("hh")},
    {QLatin1String("TimeMinute"), QLatin1String("mm")},
    {QLatin1String("TimeSecond"), QLatin1String("ss")},
};

// A definition whose fallbacks keep producing new references could otherwise be expanded
// forever; no honest setting needs more nesting than this.
constexpr int kMaxPasses = 32;
// A definition that refers to itself twice doubles the text with every pass, so the passes
// alone do not bound it: 32 of them would need gigabytes. Expansion stops once the text has
// grown by this many characters, far beyond any setting or command line.
constexpr qsizetype kMaxGrowth = qsizetype(1) << 20;

constexpr QStringView kOpen = u"$(";

// One reference found by the scanner: the text between "$(" and its matching ")".
struct Reference
{
    qsizetype end = -1;    // index just after the closing ")", -1 when unclosed
    bool hasDollar = false; // a "$" inside asks for another pass
};

Reference scanReference(QStringView s, qsizetype textStart)
{
    Reference ref;
    int depth = 1;
    for (qsizetype i = textStart; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == u'$') {
            ref.hasDollar = true;
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')' && --depth == 0) {
            ref.end = i + 1;
            return ref;
        }
    }
    return ref;
}

} // namespace

MacroSystem::MacroSystem()
{
    reset();
}

void MacroSystem::reset()
{
    m_systemMacros.clear();
    for (const DynamicFormat &f : kDynamicFormats)
        m_systemMacros.insert(QString(f.name), QString(""));
    m_systemMacros.insert(QStringLiteral("HostArch"), QStringLiteral("x86"));
    m_systemMacros.insert(QStringLiteral("HostOS"), QStringLiteral("solaris"));
    m_systemMacros.insert(QStringLiteral("HostEXE"), QString(""));
    m_systemMacros.insert(QStringLiteral("HostDLL"), QStringLiteral(".so_solaris_x86"));
    ++m_systemGeneration;
    m_detachedGlobals = QString();
    m_cacheValid = false;
}

QString MacroSystem::escape(const QString &s)
{
    if (!s.contains(u';') && !s.contains(u'\\'))
        return s;
    QString result;
    result.reserve(s.size() + 8);
    for (const QChar c : s) {
        if (c == u';' || c == u'\\')
            result += u'\\';
        result += c;
    }
    return result;
}

QString MacroSystem::stringFromStringList(const QStringList &items)
{
    QString result("");
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0)
            result += u';';
        result += escape(items.at(i));
    }
    return result;
}

QStringList MacroSystem::stringListFromString(const QString &s, bool keepEmpty)
{
    QStringList items;
    QString item("");
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = s[i];
        if (c == u'\\' && i + 1 < n) {
            item += s[++i];
        } else if (c == u';') {
            if (keepEmpty || !item.isEmpty())
                items.append(item);
            item = QString("");
        } else {
            item += c;
        }
    }
    if (keepEmpty || !item.isEmpty())
        items.append(item);
    return items;
}

QMap<QString, QString> MacroSystem::macrosFromStringList(const QStringList &items)
{
    QMap<QString, QString> macros;
    for (const QString &item : items) {
        const qsizetype eq = item.indexOf(u'=');
        if (eq < 0)
            macros.insert(item, QString(""));
        else
            macros.insert(item.left(eq), item.mid(eq + 1));
    }
    return macros;
}

QStringList MacroSystem::stringListFromMacros(const QMap<QString, QString> &macros)
{
    QStringList items;
    items.reserve(macros.size());
    for (auto it = macros.cbegin(); it != macros.cend(); ++it)
        items.append(it.key().trimmed() + u'=' + it.value());
    return items;
}

QMap<QString, QString> MacroSystem::overwriteMacros(const QMap<QString, QString> &base,
                                                    const QMap<QString, QString> &over)
{
    if (over.isEmpty())
        return base;
    QMap<QString, QString> result = base;
    for (auto it = over.cbegin(); it != over.cend(); ++it)
        result.insert(it.key(), it.value());
    return result;
}

QString MacroSystem::systemMacro(const QString &name) const
{
    const auto it = m_systemMacros.constFind(name);
    return it == m_systemMacros.cend() ? QString() : it.value();
}

void MacroSystem::setSystemMacro(const QString &name, const QString &value)
{
    m_systemMacros.insert(name, value);
    ++m_systemGeneration;
}

void MacroSystem::setSystemMacroPath(const QString &name, const Path &path)
{
    setSystemMacro(name, path.osPathQString());
}

QString MacroSystem::globalMacroText() const
{
    if (environment && environment->globalMacrosValue)
        return environment->globalMacrosValue->propertyValue();
    return m_detachedGlobals;
}

void MacroSystem::setGlobalMacroText(const QString &text)
{
    if (environment && environment->globalMacrosValue)
        environment->globalMacrosValue->setPropertyValue(text);
    else
        m_detachedGlobals = text;
}

QMap<QString, QString> MacroSystem::globalMacros(bool withSystem) const
{
    const QString text = globalMacroText();
    if (!m_cacheValid || m_cachedSystemGeneration != m_systemGeneration
        || m_cachedGlobalText != text) {
        m_cachedGlobalText = text;
        m_cachedSystemGeneration = m_systemGeneration;
        m_cachedGlobals = macrosFromStringList(stringListFromString(text, false));
        m_cachedGlobalsWithSystem = overwriteMacros(m_systemMacros, m_cachedGlobals);
        m_cacheValid = true;
    }
    return withSystem ? m_cachedGlobalsWithSystem : m_cachedGlobals;
}

QString MacroSystem::globalMacro(const QString &name) const
{
    return globalMacros(true).value(name);
}

void MacroSystem::setGlobalMacro(const QString &name, const QString &value)
{
    QMap<QString, QString> globals = globalMacros(false);
    if (value.isEmpty())
        globals.remove(name);
    else
        globals.insert(name, value);
    setGlobalMacroText(stringFromStringList(stringListFromMacros(globals)));
}

namespace {

const DynamicFormat *findDynamic(const QString &name)
{
    // Every reference that resolves asks, so turn most names away at the first letter.
    if (name.isEmpty() || (name[0] != u'D' && name[0] != u'T'))
        return nullptr;
    for (const DynamicFormat &f : kDynamicFormats) {
        if (name == f.name)
            return &f;
    }
    return nullptr;
}

} // namespace

bool MacroSystem::isDynamicMacro(const QString &name)
{
    return findDynamic(name) != nullptr;
}

bool MacroSystem::dynamicMacro(const QString &name, QString &value)
{
    const DynamicFormat *f = findDynamic(name);
    if (!f)
        return false;
    value = QDateTime::currentDateTime().toString(QString(f->format));
    return true;
}

QString MacroSystem::replaceMacros(const QMap<QString, QString> &macros, const QString &s) const
{
    if (!hasMacroReference(s))
        return s;

    QString input = s;
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        bool again = false;
        QString result;
        result.reserve(input.size() + 32);
        const QStringView in(input);
        qsizetype copied = 0; // start of the text not yet appended
        qsizetype i = in.indexOf(kOpen);
        while (i >= 0) {
            const Reference ref = scanReference(in, i + 2);
            if (ref.end < 0)
                break; // unclosed: the rest is copied as it is
            result += in.mid(copied, i - copied);
            const QStringView text = in.mid(i + 2, ref.end - 1 - (i + 2));
            bool literal = false;
            QStringView name = text;
            QStringView fallback;
            const qsizetype colon = text.indexOf(u':');
            if (colon >= 0) {
                name = text.left(colon);
                fallback = text.mid(colon + 1);
                if (fallback.startsWith(u':')) {
                    fallback = fallback.mid(1);
                    literal = true;
                }
            }
            if (ref.hasDollar)
                again = true;
            if (literal)
                again = false;

            // The name is only looked up: borrow the characters instead of copying them.
            const auto it = macros.constFind(QString::fromRawData(name.data(), name.size()));
            if (it != macros.cend()) {
                QString dynamic;
                if (dynamicMacro(it.key(), dynamic))
                    result += dynamic;
                else
                    result += it.value();
            } else if (colon >= 0) {
                result += fallback;
            } else {
                result += in.mid(i, ref.end - i);
            }
            copied = ref.end;
            if (result.size() > s.size() + kMaxGrowth) {
                result += in.mid(copied);
                return result;
            }
            i = in.indexOf(kOpen, copied);
        }
        if (copied == 0 && !again)
            return input; // nothing was replaced: keep sharing the caller's text
        result += in.mid(copied);
        if (!again || result == input)
            return result;
        input = result;
    }
    return input;
}

QString MacroSystem::replaceGlobalMacros(const QString &s) const
{
    if (!hasMacroReference(s))
        return s;
    return replaceMacros(globalMacros(true), s);
}

MacroSystem macroSystem;
