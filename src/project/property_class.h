// PropertyClass: the definition of one setting (save name, type, default, legal values, texts).
#pragma once

#include <QString>
#include <QStringList>
#include <atomic>

class XMLElement;

// Every text may be null; `readOnly` is false and `perConfiguration` true unless set. A class
// that is not per-configuration has its values stored and read in "Common" only.
class PropertyClass
{
public:
    enum Type {
        Boolean = 0,
        Integer = 1,
        IntegerHex = 2,
        IntegerRange = 3,
        String = 4,
        FileName = 5,
        ProjFileName = 6,
        StringList = 7,
        DirPath = 8,
        DirPathList = 9,
        Enumeration = 10,
        Color = 11,
        Font = 12,
        FixedPitchFont = 13,
        Custom = 14,
    };

    PropertyClass(const QString &name, Type type, const QString &page, const QString &group,
                  const QString &shortDescription, const QString &longDescription,
                  const QString &defaultValue);
    PropertyClass(const QString &name, Type type, const QStringList &enumerates,
                  const QString &page, const QString &group, const QString &shortDescription,
                  const QString &longDescription, const QString &defaultValue);
    PropertyClass(const QString &name, Type type, int minimum, int maximum, const QString &page,
                  const QString &group, const QString &shortDescription,
                  const QString &longDescription, int defaultValue);
    // A "Boolean" class with the default "Yes" or "No".
    PropertyClass(const QString &name, const QString &page, const QString &group,
                  const QString &shortDescription, const QString &longDescription,
                  bool defaultValue);
    PropertyClass(const QString &name, Type type);
    PropertyClass(const QString &name, Type type, int minimum, int maximum);
    // The form property group files and the build options file use: attributes name, type,
    // group, short, long, default, minimum, maximum, enumeration, specialvalue.
    explicit PropertyClass(const XMLElement *e);
    virtual ~PropertyClass();

    const QString &saveName() const { return m_name; }
    const QString &group() const { return m_group; }
    const QString &page() const { return m_page; }
    const QString &shortDescription() const { return m_shortDescription; }
    const QString &longDescription() const { return m_longDescription; }
    const QString &dialogDescription() const { return m_dialogDescription; }
    const QString &specialValueText() const { return m_specialValueText; }
    const QString &suffix() const { return m_suffix; }
    const QString &defaultValue() const { return m_defaultValue; }
    Type type() const { return m_type; }
    bool readOnly() const { return m_readOnly; }
    bool perConfiguration() const { return m_perConfiguration; }
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    void *editor() const { return m_editor; }
    // No other class made in this run has the same number: a cache keyed by a class's address
    // tells it from a later class at the same address by this.
    quint64 serial() const { return m_serial; }
    // For a "Boolean" class without its own list: "No", "Yes" (so "Yes" has the index 1).
    QStringList enumerates() const;
    QString typeAsString() const;
    static QString typeAsString(int type);

    void setDialogDescription(const QString &text) { m_dialogDescription = text; }
    void setSpecialValueText(const QString &text) { m_specialValueText = text; }
    void setSuffix(const QString &text) { m_suffix = text; }
    void setEditor(void *editor) { m_editor = editor; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    void setPerConfiguration(bool perConfiguration) { m_perConfiguration = perConfiguration; }
    void setDefault(const QString &value) { m_defaultValue = value; }
    void setEnumerates(const QStringList &enumerates) { m_enumerates = enumerates; }
    // Used by interactive hosts to describe the class; the tool never sets these.
    void setLongDescription(const QString &text) { m_longDescription = text; }

    // "0x" and `value` in lower-case hex, zero-padded to the digits `maximum` needs (1 to 8).
    static QString toHexString(int value, int maximum);

private:
    QString m_name;
    QString m_group;
    QString m_shortDescription;
    QString m_longDescription;
    QString m_suffix;
    QString m_dialogDescription;
    QString m_defaultValue;
    QString m_specialValueText;
    QString m_page;
    bool m_readOnly = false;
    bool m_perConfiguration = true;
    Type m_type = String;
    QStringList m_enumerates;
    qint32 m_minimum = 0;
    qint32 m_maximum = 0;
    void *m_editor = nullptr;
    static inline std::atomic<quint64> s_serials = 0;
    quint64 m_serial = ++s_serials;
};
