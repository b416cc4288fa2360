// MacroSystem: the process-wide macro tables, the $(...) expansion every setting goes through,
// and the ";" text form in which string lists and macro tables are stored.
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

class Path;

// Where the next "$(" at or after `from` starts in `s`, or -1. A plain loop: the library's
// search for a pair, or even for one character in a view, costs several times as much on
// values this short, and nearly every value has no reference.
inline qsizetype findMacroReference(QStringView s, qsizetype from = 0)
{
    const QChar *text = s.data();
    for (qsizetype i = from; i + 1 < s.size(); ++i) {
        if (text[i] == u'$' && text[i + 1] == u'(')
            return i;
    }
    return -1;
}

inline bool hasMacroReference(QStringView s)
{
    return findMacroReference(s) >= 0;
}

// Holds the system macros (host, installation and package macros). The global macros live in
// the environment setting "Environment/Macros/Global Macros" so that they persist with the
// user's settings; without an environment (unit tests, early start-up) they are kept here.
class MacroSystem
{
public:
    MacroSystem();

    // List text form: items joined by ";", each ";" and "\" inside an item preceded by "\".
    static QString escape(const QString &s);
    static QString stringFromStringList(const QStringList &items);
    // The inverse; empty items are dropped unless `keepEmpty`. Accepts any text.
    static QStringList stringListFromString(const QString &s, bool keepEmpty);

    // "name=value" items <-> table; the name ends at the first "=", later items win.
    static QMap<QString, QString> macrosFromStringList(const QStringList &items);
    static QStringList stringListFromMacros(const QMap<QString, QString> &macros);
    static QMap<QString, QString> overwriteMacros(const QMap<QString, QString> &base,
                                                  const QMap<QString, QString> &over);

    const QMap<QString, QString> &systemMacros() const { return m_systemMacros; }
    QString systemMacro(const QString &name) const; // null when absent
    void setSystemMacro(const QString &name, const QString &value);
    void setSystemMacroPath(const QString &name, const Path &path);

    // The global macros, alone or on top of the system macros (globals win).
    QMap<QString, QString> globalMacros(bool withSystem) const;
    QString globalMacro(const QString &name) const;
    // An empty (or null) value removes the macro. Stored in the environment settings, so a
    // definition made on the command line is written back to the settings file at exit.
    void setGlobalMacro(const QString &name, const QString &value);

    // The date and time macros, computed from the local clock when they are expanded.
    static bool isDynamicMacro(const QString &name);
    static bool dynamicMacro(const QString &name, QString &value);

    // Expands every $(Name), $(Name:fallback) and $(Name::literal) of `s` with `macros`.
    // Undefined names without a fallback are left as written, so a text can be expanded by
    // several tables in turn. Always terminates: passes stop when they change nothing, after
    // a fixed number, and when the text has grown by a million characters.
    QString replaceMacros(const QMap<QString, QString> &macros, const QString &s) const;

    // Expands with the system and global macros (the table file names are expanded with).
    QString replaceGlobalMacros(const QString &s) const;

    // Drops every system and stored global macro and restores the construction state; for
    // tests that need a clean process-wide object.
    void reset();

private:
    QString globalMacroText() const;
    void setGlobalMacroText(const QString &text);

    QMap<QString, QString> m_systemMacros;
    quint64 m_systemGeneration = 0;
    QString m_detachedGlobals; // global macro text while there is no environment

    // globalMacros() is asked for on every build step: keep the last conversion and reuse it
    // while neither the setting's text nor the system table changed.
    mutable QString m_cachedGlobalText;
    mutable bool m_cacheValid = false;
    mutable quint64 m_cachedSystemGeneration = 0;
    mutable QMap<QString, QString> m_cachedGlobals;
    mutable QMap<QString, QString> m_cachedGlobalsWithSystem;
};

extern MacroSystem macroSystem;
