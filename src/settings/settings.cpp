#include "settings/settings.h"

#include "host/qtx.h"
#include "xml/xml_entities.h"

#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTextStream>

namespace {

const QString kSettingTag = QStringLiteral("setting");
const QString kNameAttribute = QStringLiteral("name");

// The XML parser drops text made only of blanks and turns a CR into a LF; those values are
// written in a form it keeps (a CDATA section, a character reference), which any XML reader
// decodes to the same text.
bool isXmlWhitespace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool onlyWhitespace(const QString &value)
{
    for (const QChar c : value) {
        if (!isXmlWhitespace(c))
            return false;
    }
    return true;
}

QString encodeValue(const QString &value)
{
    if (!value.isEmpty() && onlyWhitespace(value))
        return QStringLiteral("<![CDATA[") + value + QStringLiteral("]]>");
    QString text = xmlEscapeEntities(value);
    text.replace(u'\r', QStringLiteral("&#13;"));
    return text;
}

// Keys are written as they are; one that would make the file unreadable (never one of ours)
// gets just enough escaping to stay well-formed.
QString encodeKey(const QString &key)
{
    if (!key.contains(u'&') && !key.contains(u'<') && !key.contains(u'"'))
        return key;
    QString text = key;
    text.replace(u'&', QStringLiteral("&amp;"));
    text.replace(u'<', QStringLiteral("&lt;"));
    text.replace(u'"', QStringLiteral("&quot;"));
    return text;
}

// Settings files are written as UTF-8; older ones may hold Latin-1 bytes.
QString decodeFile(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

// The two named entities the escaping uses that XML itself does not declare.
void declareEntities(QString &text)
{
    text.replace(QStringLiteral("&middot;"), QStringLiteral("&#183;"));
    text.replace(QStringLiteral("&nbsp;"), QStringLiteral("&#32;"));
}

QString contentOf(const QDomElement &e)
{
    QDomNode child = e.firstChild();
    if (child.isNull())
        return QString("");
    if (child.isText()) { // a CDATA section is a text node too
        QString value;
        for (; !child.isNull() && child.isText(); child = child.nextSibling())
            value += child.toText().data();
        return value;
    }
    QString xml;
    QTextStream stream(&xml);
    child.save(stream, -1);
    stream.flush();
    return xmlUnescapeEntities(xml);
}

} // namespace

Settings::~Settings()
{
    if (!m_path.filePath().isEmpty())
        writeBack();
}

void Settings::setPath(const Path &file)
{
    m_path = file;
    load(m_path, m_entries);
    m_lastModified = fileTime();
}

QString Settings::readEntry(const QString &key, const QString &defaultValue, bool *ok) const
{
    const auto it = m_entries.constFind(key);
    const bool found = it != m_entries.cend() && it->state != Setting::Removed;
    if (ok)
        *ok = found;
    return found ? it->value : defaultValue;
}

bool Settings::writeEntry(const QString &key, const QString &value)
{
    const auto it = m_entries.constFind(key);
    if (it != m_entries.cend() && it->state != Setting::Removed && it->value == value)
        return true;
    m_entries.insert(key, Setting{value, Setting::Changed});
    m_dirty = true;
    return true;
}

void Settings::removeEntry(const QString &key)
{
    const auto it = m_entries.find(key);
    if (it == m_entries.end() || it->state == Setting::Removed)
        return;
    it->state = Setting::Removed;
    m_dirty = true;
}

QDateTime Settings::fileTime() const
{
    const QFileInfo info(m_path.filePath());
    return info.exists() ? info.lastModified() : QDateTime();
}

bool Settings::fileChangedOnDisk() const
{
    return fileTime() != m_lastModified;
}

void Settings::sync()
{
    if (m_path.filePath().isEmpty())
        return;
    const bool changed = fileChangedOnDisk();
    if (changed && m_dirty) {
        writeBack();
    } else if (changed) {
        load(m_path, m_entries);
        m_lastModified = fileTime();
    } else if (m_dirty) {
        mergeAndSave(m_entries);
    }
}

void Settings::writeBack()
{
    QMap<QString, Setting> onDisk;
    if (fileChangedOnDisk() && load(m_path, onDisk))
        mergeAndSave(onDisk);
    else
        mergeAndSave(m_entries);
}

// Applying the changes also drops the entries removed in memory and marks the rest as loaded,
// so what is written is exactly what a later load gives back.
void Settings::mergeAndSave(QMap<QString, Setting> base)
{
    mergeChanges(base, m_entries);
    if (!save(m_path, base))
        return;
    m_entries = base;
    m_dirty = false;
    m_lastModified = fileTime();
}

bool Settings::load(const Path &file, QMap<QString, Setting> &map)
{
    QFile f(file.filePath());
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QString text = decodeFile(f.readAll());
    declareEntities(text);
    QDomDocument document;
    if (!document.setContent(text))
        return false;

    map.clear();
    const QDomNodeList settings = document.elementsByTagName(kSettingTag);
    for (int i = 0; i < settings.size(); ++i) {
        const QDomElement e = settings.at(i).toElement();
        const QString key = e.attribute(kNameAttribute);
        if (!key.isEmpty())
            map.insert(key, Setting{contentOf(e), Setting::Loaded});
    }
    return true;
}

QByteArray Settings::fileText(const QMap<QString, Setting> &map)
{
    QString text = QStringLiteral("<!DOCTYPE Tessary_Settings_File>\n<settings>\n");
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        text += QStringLiteral("  <setting name=\"") + encodeKey(it.key()) + QStringLiteral("\">")
              + encodeValue(it->value) + QStringLiteral("</setting>\n");
    }
    text += QStringLiteral("</settings>\n");
    return text.toUtf8();
}

bool Settings::save(const Path &file, const QMap<QString, Setting> &map)
{
    const QString path = file.filePath();
    if (path.isEmpty() || !QTx::makeDir(QFileInfo(path).absolutePath()))
        return false;
    const QByteArray bytes = fileText(map);
    // Most runs change no setting: a file that already says the same is left alone instead of
    // being rewritten and synced to disk, which cost a no-op build a tenth of its time.
    QFile current(path);
    if (current.open(QIODevice::ReadOnly) && current.size() == bytes.size()
        && current.readAll() == bytes)
        return true;
    current.close();
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    if (out.write(bytes) != bytes.size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

bool Settings::mergeChanges(QMap<QString, Setting> &fileEntries,
                            const QMap<QString, Setting> &changes)
{
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
        if (it->state == Setting::Changed)
            fileEntries.insert(it.key(), Setting{it->value, Setting::Loaded});
        else if (it->state == Setting::Removed)
            fileEntries.remove(it.key());
    }
    return true;
}
