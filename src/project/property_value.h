// PropertyValue and its two kinds: a value held in memory (SimplePropertyValue) and a value
// bound to a node and configuration of the solution tree (ProjectPropertyValue).
#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

class PropertyClass;
class ProjectElement;

// One value of one property class, read and written through propertyValue() and
// setPropertyValue(); the conversions below are built on those two.
class PropertyValue
{
public:
    PropertyValue(); // no class, not visible
    explicit PropertyValue(const PropertyClass *propertyClass);
    virtual ~PropertyValue();
    PropertyValue(const PropertyValue &) = delete;
    PropertyValue &operator=(const PropertyValue &) = delete;

    virtual bool readOnly() const { return m_readOnly; }
    virtual bool inherited() const { return false; }
    virtual void setPropertyValue(const QString &value) = 0;
    virtual QString propertyValue() const = 0;

    const PropertyClass *propertyClass() const { return m_propertyClass; }
    // Takes over the class's read-only flag and default, and makes the value visible.
    void setPropertyClass(const PropertyClass *propertyClass);
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool transient() const { return m_transient; }
    void setTransient(bool transient) { m_transient = transient; }
    bool visible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }

    QString toString() const { return propertyValue(); }
    // The value (or the class default when the value is empty) as a ";"-list.
    QStringList toStringList(bool keepEmpty) const;
    bool toBool() const;
    // Enumerations and booleans: the index in enumerates() (-1 when absent); other types: the
    // text read as a C integer (decimal, 0x hex, leading-0 octal; 0 when no number).
    int toInt() const;
    QRect toRect() const;

    void setValue(const QString &value) { setPropertyValue(value); }
    void setValue(const char *value) { setPropertyValue(QString::fromUtf8(value)); }
    void setValue(const QStringList &value);
    void setValue(int value);
    void setValue(bool value);
    void setValue(const QRect &value);
    void setToDefault();

private:
    QString valueOrDefault() const;

    bool m_readOnly = false;
    bool m_transient = false;
    bool m_visible = false;
    const PropertyClass *m_propertyClass = nullptr;
    void *m_interactive = nullptr; // reserved for interactive editing
};

class SimplePropertyValue : public PropertyValue
{
public:
    SimplePropertyValue() = default;
    explicit SimplePropertyValue(const PropertyClass *propertyClass);
    SimplePropertyValue(const PropertyClass *propertyClass, const QString &value);
    SimplePropertyValue(const PropertyClass *propertyClass, int value);

    void setPropertyValue(const QString &value) override { m_value = value; }
    QString propertyValue() const override { return m_value; }

private:
    QString m_value;
};

// A value stored on `node`'s configuration child `configuration` (always "Common" for a class
// that is not per-configuration). Reading resolves the setting with inheritance, except for
// string lists, which read only the node's own text; writing creates the configuration child
// when missing. Made transient, so a transient PropertyValueList deletes it.
class ProjectPropertyValue : public PropertyValue
{
public:
    ProjectPropertyValue(const PropertyClass *propertyClass, const QString &configuration,
                         ProjectElement *node);

    void setPropertyValue(const QString &value) override;
    QString propertyValue() const override;
    bool inherited() const override;
    // True when some node of the tree supplies the value (it is not the class default).
    bool nonDefault() const;

    ProjectElement *node() const { return m_node; }
    const QString &configuration() const { return m_configuration; }

private:
    ProjectElement *m_node;
    QString m_configuration;
};
