#include "build/dependency_file.h"

#include <QFile>
#include <QFileInfo>

QString dependencyFileName(const QString &absoluteObject)
{
    const QFileInfo info(absoluteObject);
    const QString name = info.fileName();
    const qsizetype dot = name.indexOf(u'.');
    return info.path() + u'/' + (dot < 0 ? name : name.left(dot)) + u".d";
}

namespace {

void addName(QStringList &names, QString &name, const QString &dir)
{
    if (name.isEmpty())
        return;
    if (name.startsWith(u'/'))
        names.append(name);
    else
        names.append(dir + u'/' + name);
    name.clear();
}

} // namespace

QStringList parseDependencyText(const QString &text, const QString &dir)
{
    QStringList names;
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0)
        return names;
    QString name;
    const qsizetype size = text.size();
    for (qsizetype i = colon + 1; i < size; ++i) {
        const QChar c = text.at(i);
        if (c == u'\\' && i + 1 < size) {
            const QChar next = text.at(i + 1);
            if (next == u' ' || next == u'\n') {
                if (next == u' ')
                    name.append(next);
                ++i;
                continue;
            }
            name.append(c);
            continue;
        }
        if (c == u'\n')
            continue;
        if (c == u' ') {
            addName(names, name, dir);
            continue;
        }
        name.append(c);
    }
    addName(names, name, dir);
    return names;
}

QStringList readDependencyFile(const QString &path, const QString &dir)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parseDependencyText(QString::fromLocal8Bit(file.readAll()), dir);
}
