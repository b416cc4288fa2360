#include "xml/xmlpp2.h"

#include "expr/simple_expression_parser.h"
#include "macros/macro_system.h"
#include "xml/xml_element.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>
#include <cstring>

namespace {

const QString kPrefix = QStringLiteral("XmlPP::processConditionals(): ");

QString text(const char *s)
{
    return QString::fromUtf8(s);
}

char *poolCopy(const QString &s)
{
    const QByteArray bytes = s.toUtf8();
    return XMLNode::mkString(bytes.constData(), unsigned(bytes.size()));
}

// True when `value` is one of the comma-separated items of `list`. An empty value, which is
// what an undefined macro reads as, matches nothing.
bool listContains(const char *list, const QString &value)
{
    if (!list || value.isEmpty())
        return false;
    const QStringList items = text(list).split(u',');
    for (const QString &item : items) {
        if (item.trimmed() == value)
            return true;
    }
    return false;
}

// C strtoul semantics: "0x" selects hexadecimal and a leading "0" octal.
quint32 unsignedFromText(const QString &s)
{
    const QByteArray bytes = s.toLatin1();
    return quint32(std::strtoul(bytes.constData(), nullptr, 0));
}

QString hexText(quint64 value)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper();
}

XMLNode *lastOfChain(XMLNode *first)
{
    XMLNode *last = first;
    for (XMLNode *c = first; c; c = c->nextSibling())
        last = c;
    return last;
}

class NestingGuard
{
public:
    explicit NestingGuard(int &depth) : m_depth(depth) { ++m_depth; }
    ~NestingGuard() { --m_depth; }
    NestingGuard(const NestingGuard &) = delete;
    NestingGuard &operator=(const NestingGuard &) = delete;

private:
    int &m_depth;
};

} // namespace

// One pass over a sibling chain of `parent`. It remembers the node before the current one, so
// that dropping, dissolving and replacing are constant-time splices even in long chains.
class XMLPP2Walk
{
public:
    XMLPP2Walk(XMLPP2 &doc, XMLNode *parent, const QString &file,
               const QMap<QString, QString> &macros, bool expand)
        : m_doc(doc), m_parent(parent), m_file(file), m_macros(macros), m_expand(expand)
    {
    }

    void run(XMLNode *first);

private:
    XMLNode *handle(XMLElement *e);
    XMLNode *keep(XMLElement *e);
    XMLNode *drop(XMLElement *e);
    XMLNode *conditional(XMLElement *e, bool condition);
    XMLNode *dissolve(XMLElement *e, XMLElement *chosen);
    XMLNode *replaceByChildren(XMLNode *e, XMLNode *holder);
    XMLNode *handleIf(XMLElement *e, bool negate);
    XMLNode *handleIfex(XMLElement *e);
    XMLNode *handleSwitch(XMLElement *e);
    XMLNode *handleDefine(XMLElement *e);
    XMLNode *handleFor(XMLElement *e);
    XMLNode *handleInclude(XMLElement *e);
    XMLElement *loadInclude(const QString &file);
    void processIncluded(XMLElement *e, XMLElement *included, const QString &file);
    QString expanded(const char *s) const { return macroSystem.replaceMacros(m_macros, text(s)); }
    void processChildren(XMLNode *e, const QMap<QString, QString> &macros, bool expand,
                         const QString &file)
    {
        m_doc.processConditionals(e->firstChild(), file, macros, expand);
    }

    XMLPP2 &m_doc;
    XMLNode *m_parent;
    XMLNode *m_previous = nullptr;  // node before the one being handled
    XMLNode *m_next = nullptr;      // node that followed it before it was changed
    const QString &m_file;
    QMap<QString, QString> m_macros;
    bool m_expand;
};

void XMLPP2Walk::run(XMLNode *first)
{
    for (XMLNode *c = m_parent->firstChild(); c && c != first; c = c->nextSibling())
        m_previous = c;
    for (XMLNode *n = first; n;) {
        m_next = n->nextSibling();
        XMLElement *e = n->toElement();
        if (!e) {
            m_previous = n;
            n = m_next;
            continue;
        }
        if (m_expand)
            m_doc.expandAttributeMacros(e, m_macros);
        n = handle(e);
    }
}

XMLNode *XMLPP2Walk::handle(XMLElement *e)
{
    const char *tag = e->tagName();
    if (!std::strcmp(tag, "if"))
        return handleIf(e, false);
    if (!std::strcmp(tag, "ifnot"))
        return handleIf(e, true);
    if (!std::strcmp(tag, "ifex"))
        return handleIfex(e);
    if (!std::strcmp(tag, "ifdef"))
        return conditional(e, m_macros.contains(text(e->attribute("name"))));
    if (!std::strcmp(tag, "ifndef"))
        return conditional(e, !m_macros.contains(text(e->attribute("name"))));
    if (!std::strcmp(tag, "switch"))
        return handleSwitch(e);
    if (!std::strcmp(tag, "define"))
        return handleDefine(e);
    if (!std::strcmp(tag, "for"))
        return handleFor(e);
    if (!std::strcmp(tag, "include"))
        return handleInclude(e);
    return keep(e);
}

XMLNode *XMLPP2Walk::keep(XMLElement *e)
{
    processChildren(e, m_macros, m_expand, m_file);
    m_previous = e;
    return m_next;
}

XMLNode *XMLPP2Walk::drop(XMLElement *e)
{
    m_parent->removeChildAfter(m_previous, e);
    return m_next;
}

XMLNode *XMLPP2Walk::conditional(XMLElement *e, bool condition)
{
    return condition ? dissolve(e, e) : drop(e);
}

XMLNode *XMLPP2Walk::dissolve(XMLElement *e, XMLElement *chosen)
{
    processChildren(chosen, m_macros, m_expand, m_file);
    return replaceByChildren(e, chosen);
}

// Puts the children of `holder` where `e` is, removes `e`, and moves on past them: they have
// been processed already.
XMLNode *XMLPP2Walk::replaceByChildren(XMLNode *e, XMLNode *holder)
{
    XMLNode *chain = holder->firstChild();
    XMLNode *last = lastOfChain(chain);
    m_parent->removeChildAfter(m_previous, e);
    m_parent->insertChainAfter(m_previous, chain);
    if (last)
        m_previous = last;
    return m_next;
}

XMLNode *XMLPP2Walk::handleIf(XMLElement *e, bool negate)
{
    const XMLAttributeList &attributes = e->getAttributeList();
    if (attributes.count() != 1) {
        m_doc.warning(kPrefix + QStringLiteral("one condition required for <if[not]>"));
        return keep(e);
    }
    const XMLAttribute *condition = attributes.first();
    const auto found = m_macros.constFind(text(condition->name));
    const bool matches = found != m_macros.constEnd() && listContains(condition->value, *found);
    return conditional(e, matches != negate);
}

XMLNode *XMLPP2Walk::handleIfex(XMLElement *e)
{
    const char *expression = e->attribute("expression");
    if (!expression || !*expression)
        return keep(e);
    bool ok = false;
    const bool value = SimpleExpressionParser::instance()->getBoolean(expanded(expression), ok);
    return conditional(e, ok && value);
}

XMLNode *XMLPP2Walk::handleSwitch(XMLElement *e)
{
    const QString value = m_macros.value(text(e->attribute("name")));
    processChildren(e, m_macros, m_expand, m_file);
    XMLElement *chosen = nullptr;
    XMLElement *lastDefault = nullptr;
    for (XMLElement *c = e->firstChildElement(); c; c = c->nextSiblingElement()) {
        if (!chosen && c->tagIs("case") && listContains(c->attribute("value"), value))
            chosen = c;
        if (c->tagIs("default"))
            lastDefault = c;
    }
    if (!chosen)
        chosen = lastDefault;
    return chosen ? replaceByChildren(e, chosen) : drop(e);
}

XMLNode *XMLPP2Walk::handleDefine(XMLElement *e)
{
    const char *name = e->attribute("name");
    if (!name) {
        m_doc.warning(kPrefix + QStringLiteral("missing name in <define>"));
        return drop(e);
    }
    const char *value = e->attribute("value");
    const char *expression = e->attribute("expression");
    const char *hexExpression = e->attribute("hex_expression");
    if (value) {
        m_macros.insert(text(name), text(value));
    } else if (expression || hexExpression) {
        bool ok = false;
        const quint64 number = SimpleExpressionParser::instance()->getUInteger(
            expanded(expression ? expression : hexExpression), ok);
        if (ok)
            m_macros.insert(text(name), expression ? QString::number(number) : hexText(number));
    } else {
        m_doc.warning(kPrefix + QStringLiteral("missing value or expression in <define>"));
    }
    return drop(e);
}

namespace {

// The names a <for> defines for its body. The keys are made once per loop and only the values
// change from one iteration to the next: a long loop would otherwise spend most of its time
// building the same five names again.
class LoopTable
{
public:
    LoopTable(const QString &index, quint32 mul, quint32 add) : m_mul(mul), m_add(add)
    {
        const QString names[] = {index, index + QStringLiteral("_alpha"),
                                 index + QStringLiteral("_hex"), index + QStringLiteral("_ap"),
                                 index + QStringLiteral("_ap_hex")};
        for (const QString &name : names)
            m_table.insert(name, QString());
        // Found after every insertion: an insertion may move the nodes found before it.
        for (int slot = 0; slot < 5; ++slot)
            m_slots[slot] = m_table.find(names[slot]);
    }

    const QMap<QString, QString> &at(quint32 i)
    {
        const quint32 progression = i * m_mul + m_add;
        m_slots[0].value() = QString::number(i);
        m_slots[1].value() = QString(QChar(char16_t(65 + i)));
        m_slots[2].value() = hexText(i);
        m_slots[3].value() = QString::number(progression);
        m_slots[4].value() = hexText(progression);
        return m_table;
    }

private:
    QMap<QString, QString> m_table;
    QMap<QString, QString>::iterator m_slots[5];
    quint32 m_mul;
    quint32 m_add;
};

} // namespace

XMLNode *XMLPP2Walk::handleFor(XMLElement *e)
{
    static const QString usage =
        kPrefix + QStringLiteral("<for index=\"i\" start=\"0\" end=\"32\" incr=\"1\">");
    // The loop that reached the document's copy limit said so; the copies of nested loops it
    // made, thousands of them, end here without a warning or an expression each.
    if (m_doc.m_copies >= XMLPP2::kMaxCopies)
        return drop(e);
    const char *index = e->attribute("index");
    const char *start = e->attribute("start");
    const char *end = e->attribute("end");
    const char *incr = e->attribute("incr");
    bool okStart = false, okEnd = false, okIncr = false;
    SimpleExpressionParser *parser = SimpleExpressionParser::instance();
    if (!index || !start || !end || !incr || !e->firstChild()) {
        m_doc.warning(usage);
        return drop(e);
    }
    // Only element children are copied; without any there is nothing to repeat.
    if (!e->firstChildElement())
        return drop(e);
    const quint32 from = quint32(parser->getUInteger(start, okStart));
    const quint32 to = quint32(parser->getUInteger(end, okEnd));
    const quint32 step = quint32(parser->getUInteger(incr, okIncr));
    if (!okStart || !okEnd || !okIncr) {
        m_doc.warning(usage);
        return drop(e);
    }
    if (step == 0 && from < to) {
        m_doc.warning(kPrefix + QStringLiteral("<for index=\"%1\"> with incr=\"%2\" never ends; "
                                               "nothing is copied")
                                    .arg(text(index), text(incr)));
        return drop(e);
    }
    quint32 add = 0;
    if (const char *a = e->attribute("add"))
        add = unsignedFromText(expanded(a));
    else if (const char *s = e->attribute("sub"))
        add = 0u - unsignedFromText(expanded(s));
    const char *m = e->attribute("mul");
    const quint32 mul = m ? unsignedFromText(expanded(m)) : 1u;

    XMLNode *last = e;
    XMLNode *firstCopy = nullptr;
    unsigned iterations = 0;
    LoopTable loop(text(index), mul, add);
    // A 64-bit counter cannot wrap past `to`, so the loop ends even for huge steps.
    for (quint64 i = from; i < to; i += step) {
        if (++iterations > XMLPP2::kMaxForIterations) {
            m_doc.warning(kPrefix + QStringLiteral("<for index=\"%1\"> stopped after %2 "
                                                   "iterations")
                                        .arg(text(index))
                                        .arg(iterations - 1));
            break;
        }
        if (m_doc.m_copies >= XMLPP2::kMaxCopies) {
            m_doc.warning(kPrefix + QStringLiteral("<for index=\"%1\"> stopped after %2 "
                                                   "iterations: a document may copy at most "
                                                   "%3 elements")
                                        .arg(text(index))
                                        .arg(iterations - 1)
                                        .arg(XMLPP2::kMaxCopies));
            break;
        }
        const QMap<QString, QString> &table = loop.at(quint32(i));
        for (XMLElement *c = e->firstChildElement(); c; c = c->nextSiblingElement()) {
            XMLElement *copy = m_doc.copyElementAndExpandAttributeMacros(c, table);
            m_parent->insertChainAfter(last, copy);
            last = copy;
            if (!firstCopy)
                firstCopy = copy;
        }
    }
    m_parent->removeChildAfter(m_previous, e);
    return firstCopy ? firstCopy : m_next;
}

XMLNode *XMLPP2Walk::handleInclude(XMLElement *e)
{
    const char *filename = e->attribute("filename");
    if (!filename) {
        m_doc.warning(kPrefix + QStringLiteral("missing filename in <include>"));
        return keep(e);
    }
    QString file = macroSystem.replaceMacros(macroSystem.systemMacros(), text(filename));
    if (QDir::isRelativePath(file))
        file = QFileInfo(m_file).path() + u'/' + file;
    if (m_doc.m_includeDepth >= XMLPP2::kMaxIncludeDepth) {
        m_doc.warning(kPrefix + QStringLiteral("error: include file '%1' nested too deeply")
                                    .arg(file));
        return drop(e);
    }
    if (m_doc.m_includes >= XMLPP2::kMaxIncludes) {
        m_doc.warning(kPrefix + QStringLiteral("error: include file '%1' is one too many, "
                                               "a document includes at most %2 files")
                                    .arg(file)
                                    .arg(XMLPP2::kMaxIncludes));
        return drop(e);
    }
    ++m_doc.m_includes;
    XMLElement *included = loadInclude(file);
    if (!included)
        return drop(e);

    m_parent->removeChildAfter(m_previous, e);
    m_parent->insertChainAfter(m_previous, included);
    {
        NestingGuard guard(m_doc.m_includeDepth);
        processIncluded(e, included, file);
    }
    const QStringList inherited =
        text(e->attribute("inherit_attributes")).split(u';', Qt::SkipEmptyParts);
    for (const QString &name : inherited) {
        const QByteArray nameBytes = name.toUtf8();
        if (const char *value = e->attribute(nameBytes.constData()))
            included->setAttribute(poolCopy(name), XMLNode::mkString(value));
    }
    if (included->tagIs("envelope") || e->hasAttribute("no_root"))
        return replaceByChildren(included, included);
    m_previous = included;
    return m_next;
}

// The root of `file` loaded into this document's pool, or null after reporting why not. The
// document keeps its own root, type, version and encoding.
XMLElement *XMLPP2Walk::loadInclude(const QString &file)
{
    XMLElement *ownRoot = m_doc.root;
    const char *docType = m_doc.docType;
    const char *version = m_doc.version;
    const char *encoding = m_doc.encoding;
    const bool loaded = m_doc.XMLDocument::load(file);
    XMLElement *included = m_doc.root;
    m_doc.root = ownRoot;
    m_doc.docType = docType;
    m_doc.version = version;
    m_doc.encoding = encoding;
    if (!included) {
        m_doc.warning(kPrefix + QStringLiteral("error: include file '%1' is empty").arg(file));
        return nullptr;
    }
    if (!loaded) {
        m_doc.warning(kPrefix + QStringLiteral("error \"") + text(m_doc.errorMessage) +
                      QStringLiteral("\" in include file ") + file + QStringLiteral(" line:") +
                      QString::number(m_doc.errorLine));
        return nullptr;
    }
    return included;
}

void XMLPP2Walk::processIncluded(XMLElement *e, XMLElement *included, const QString &file)
{
    if (!m_expand && !e->hasAttribute("expand_macros")) {
        processChildren(included, m_macros, m_expand, file);
        return;
    }
    if (const char *macros = e->attribute("macros")) {
        QString list = text(macros);
        list.remove(u'\n');
        list.remove(u'\r');
        const QMap<QString, QString> table = MacroSystem::overwriteMacros(
            m_macros,
            MacroSystem::macrosFromStringList(MacroSystem::stringListFromString(list, false)));
        m_doc.expandAttributeMacros(included, table);
        processChildren(included, table, true, file);
        return;
    }
    if (m_expand)
        m_doc.expandAttributeMacros(included, m_macros);
    processChildren(included, m_macros, m_expand, file);
}

bool XMLPP2::load(const char *path, const char *macros, bool expandAttributes)
{
    if (!XMLDocument::load(path))
        return false;
    CurrentPoolScope scope(&pool());
    const QStringList items = text(macros).split(u';', Qt::SkipEmptyParts);
    processConditionals(root, QFile::decodeName(path), MacroSystem::macrosFromStringList(items),
                        expandAttributes);
    return true;
}

void XMLPP2::processConditionals(XMLNode *first, const QString &currentFile,
                                 QMap<QString, QString> macros, bool expandAttributes)
{
    if (!first)
        return;
    CurrentPoolScope scope(&pool());
    NestingGuard guard(m_nesting);
    if (m_nesting > kMaxNesting) {
        warning(kPrefix + QStringLiteral("elements nested too deeply in '%1'").arg(currentFile));
        return;
    }
    if (first->parentNode()) {
        XMLPP2Walk(*this, first->parentNode(), currentFile, macros, expandAttributes).run(first);
        return;
    }
    // A sequence without a parent (the root) is walked under a temporary parent, so that a
    // directive at the root can be dropped, dissolved or replaced like any other.
    const bool isRoot = first == root;
    XMLElement holder("");
    holder.insertChainAfter(nullptr, first);
    XMLPP2Walk(*this, &holder, currentFile, macros, expandAttributes).run(first);
    XMLElement *remaining = holder.firstChildElement();
    if (remaining && remaining->nextSiblingElement()) {
        warning(kPrefix + QStringLiteral("the root of '%1' became several elements; "
                                         "the first is kept")
                              .arg(currentFile));
    }
    for (XMLNode *c = holder.firstChild(); c;) {
        XMLNode *next = c->nextSibling();
        c->detach();
        c = next;
    }
    if (isRoot)
        root = remaining;
}

void XMLPP2::expandAttributeMacros(XMLElement *e, const QMap<QString, QString> &macros)
{
    CurrentPoolScope scope(&pool());
    for (const XMLAttribute &a : e->getAttributeList()) {
        if (!std::strchr(a.value, '$'))
            continue;
        const QString old = text(a.value);
        const QString value = macroSystem.replaceMacros(macros, old);
        if (value != old)
            e->setAttribute(a.name, poolCopy(value));
    }
}

XMLElement *XMLPP2::copyElementAndExpandAttributeMacros(XMLElement *e,
                                                        const QMap<QString, QString> &macros)
{
    CurrentPoolScope scope(&pool());
    XMLElement *copy = mkXMLElement(e->tagName());
    copy->setLineNumber(e->lineNumber());
    // A value without a reference is shared with the original, which lives in the same pool:
    // a long loop copies the same constant attributes many thousands of times.
    for (const XMLAttribute &a : e->getAttributeList()) {
        if (std::strstr(a.value, "$("))
            copy->setAttribute(a.name, poolCopy(macroSystem.replaceMacros(macros, text(a.value))));
        else
            copy->setAttribute(a.name, a.value);
    }
    for (XMLElement *c = e->firstChildElement(); c; c = c->nextSiblingElement())
        copy->appendChild(copyElementAndExpandAttributeMacros(c, macros));
    ++m_copies;
    return copy;
}
