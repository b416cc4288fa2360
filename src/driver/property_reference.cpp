#include "driver/property_reference.h"

#include "driver/solution_vocabulary.h"
#include "project/property_class.h"

#include <QRegularExpression>

namespace {

using Entry = SolutionVocabulary::Entry;

const QString kYes = QStringLiteral("Yes");
const QString kNo = QStringLiteral("No");

// The catalogue's help texts carry a little markup for the interactive property editor.
QString plainText(const QString &html, const QString &bold)
{
    QString text = html;
    text.replace(QStringLiteral("<b>"), bold).replace(QStringLiteral("</b>"), bold);
    text.replace(QStringLiteral("<li>"), QStringLiteral(" "));
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    text.remove(tags);
    return text.simplified();
}

QString description(const PropertyClass &property, const QString &bold)
{
    const QString &help = property.longDescription().isEmpty() ? property.shortDescription()
                                                               : property.longDescription();
    return plainText(help, bold);
}

QString code(const QString &text)
{
    return u'`' + text + u'`';
}

QString xmlEscaped(const QString &text)
{
    QString escaped = text.toHtmlEscaped();
    return escaped.replace(QStringLiteral("&#39;"), QStringLiteral("'"));
}

QString placesText(const Entry &entry)
{
    static const QList<std::pair<int, QString>> names{
        {SolutionVocabulary::OnSolution, QStringLiteral("solution")},
        {SolutionVocabulary::OnProject, QStringLiteral("project")},
        {SolutionVocabulary::OnFolder, QStringLiteral("folder")},
        {SolutionVocabulary::OnFile, QStringLiteral("file")}};
    QStringList places;
    for (const auto &[bit, name] : names) {
        if (entry.places & bit)
            places.append(name);
    }
    QStringList parts;
    if (!places.isEmpty()) {
        const bool everyConfiguration = entry.classes.first()->perConfiguration();
        parts.append(QStringLiteral("configurations of ") + places.join(QStringLiteral(", "))
                     + (everyConfiguration ? QStringLiteral(" (any configuration)")
                                           : QStringLiteral(" (the \"Common\" configuration)")));
    }
    if (!entry.ownerElements.isEmpty()) {
        QStringList owners;
        for (const QString &owner : entry.ownerElements)
            owners.append(code(owner));
        parts.append(QStringLiteral("attribute of the element itself: ")
                     + owners.join(QStringLiteral(", ")));
    }
    if (parts.isEmpty())
        parts.append(QStringLiteral("no element's property list offers it"));
    return parts.join(QStringLiteral("; "));
}

QString typeText(const PropertyClass &property)
{
    QString text = property.typeAsString();
    if (property.type() == PropertyClass::IntegerRange) {
        text += QStringLiteral(" (%1 to %2").arg(property.minimum()).arg(property.maximum());
        if (!property.suffix().isEmpty())
            text += u' ' + property.suffix();
        text += u')';
    }
    return text;
}

QString defaultText(const PropertyClass &property)
{
    return property.defaultValue().isEmpty() ? QStringLiteral("empty")
                                             : code(property.defaultValue());
}

void writeEntry(QString &out, const Entry &entry)
{
    const PropertyClass &first = *entry.classes.first();
    out += QStringLiteral("### ") + code(entry.name) + QStringLiteral("\n\n");
    QStringList seen;
    for (const PropertyClass *property : entry.classes) {
        const QString text = description(*property, QStringLiteral("**"));
        const QString line = entry.classes.size() > 1
                                 ? QStringLiteral("**") + property->shortDescription()
                                       + QStringLiteral(".** ") + text
                                 : text;
        if (!seen.contains(line))
            seen.append(line);
    }
    out += seen.join(QStringLiteral("\n\n")) + QStringLiteral("\n\n");
    out += QStringLiteral("- Title: ") + first.shortDescription() + u'\n';
    out += QStringLiteral("- Type: ") + typeText(first) + u'\n';
    out += QStringLiteral("- Default: ") + defaultText(first) + u'\n';
    const QStringList values = fixedValues(first);
    if (!values.isEmpty()) {
        QStringList quoted;
        for (const QString &value : values)
            quoted.append(code(value));
        out += QStringLiteral("- Values: ") + quoted.join(QStringLiteral(", ")) + u'\n';
    }
    out += QStringLiteral("- Set on: ") + placesText(entry) + u'\n';
    if (!entry.projectTypes.isEmpty())
        out += QStringLiteral("- Project types: ") + entry.projectTypes.join(QStringLiteral(", "))
               + u'\n';
    out += u'\n';
}

const char kIntroduction[] =
    "# kestrel solution properties\n"
    "\n"
    "<!-- Written by the build from the property catalogue (tools/propref); do not edit. -->\n"
    "\n"
    "A solution file (`.zav`) sets a property as an attribute of a `configuration` element:\n"
    "\n"
    "    <project Name=\"app\">\n"
    "      <configuration Name=\"Common\" c_preprocessor_definitions=\"BOARD=2\"/>\n"
    "      <configuration Name=\"Debug\" gcc_optimization_level=\"None\"/>\n"
    "    </project>\n"
    "\n"
    "The configuration named `Common` applies to every configuration. A value set on the\n"
    "solution, a project or a folder is inherited by everything inside it; a list value\n"
    "(StringList) collects the values of every level, the innermost first. \"Set on\" names the\n"
    "elements whose configurations offer the property; an enclosing element's configuration may\n"
    "hold it too. Values of Boolean and Enumeration properties are compared exactly as written,\n"
    "without macro expansion; other values may use `$(...)` macros where their description\n"
    "says so.\n"
    "\n"
    "`kestrel -check` reports names and values this reference does not know; the XML Schema\n"
    "`share/kestrel/zav.xsd` lets an XML editor complete and check them.\n"
    "\n";

} // namespace

QStringList fixedValues(const PropertyClass &property)
{
    if (property.type() == PropertyClass::Boolean)
        return {kYes, kNo};
    if (property.type() == PropertyClass::Enumeration)
        return property.enumerates();
    return {};
}

bool isAllowedValue(const PropertyClass &property, const QString &value)
{
    const QStringList values = fixedValues(property);
    if (values.isEmpty())
        return true;
    if (property.type() == PropertyClass::Boolean && value.isEmpty())
        return true;
    return values.contains(value);
}

QString propertyReferenceMarkdown(const SolutionVocabulary &vocabulary)
{
    QString out = QString::fromLatin1(kIntroduction);
    // Grouped under the page and group of each name's first class, groups in catalogue order.
    QList<std::pair<QString, QList<const Entry *>>> groups;
    for (const Entry &entry : vocabulary.entries()) {
        const PropertyClass &first = *entry.classes.first();
        const QString heading = first.page() + QStringLiteral(": ") + first.group();
        auto group = std::find_if(groups.begin(), groups.end(),
                                  [&](const auto &g) { return g.first == heading; });
        if (group == groups.end()) {
            groups.append({heading, {}});
            group = groups.end() - 1;
        }
        group->second.append(&entry);
    }
    for (const auto &[heading, entries] : std::as_const(groups)) {
        out += QStringLiteral("## ") + heading + QStringLiteral("\n\n");
        for (const Entry *entry : entries)
            writeEntry(out, *entry);
    }
    return out;
}

namespace {

const char kSchemaHead[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!-- The solution files (.zav) and the project templates file of kestrel. Written by the\n"
    "     build from the property catalogue (tools/propref); do not edit. -->\n"
    "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\">\n"
    "\n"
    "  <xs:element name=\"solution\" type=\"Solution\"/>\n"
    "  <xs:element name=\"templates\" type=\"Templates\"/>\n"
    "\n"
    "  <xs:simpleType name=\"Boolean\">\n"
    "    <xs:restriction base=\"xs:string\">\n"
    "      <xs:enumeration value=\"Yes\"/>\n"
    "      <xs:enumeration value=\"No\"/>\n"
    "      <xs:enumeration value=\"\"/>\n"
    "    </xs:restriction>\n"
    "  </xs:simpleType>\n";

// The element structure of a solution file; the configuration types follow, generated.
const char kSolutionElements[] =
    "\n"
    "  <xs:complexType name=\"Solution\">\n"
    "    <xs:choice minOccurs=\"0\" maxOccurs=\"unbounded\">\n"
    "      <xs:element name=\"project\" type=\"Project\"/>\n"
    "      <xs:element name=\"configuration\" type=\"SolutionConfiguration\"/>\n"
    "      <xs:element name=\"import\" type=\"Import\"/>\n"
    "      <xs:element name=\"solution\" type=\"Solution\"/>\n"
    "    </xs:choice>\n"
    "%1"
    "  </xs:complexType>\n"
    "\n"
    "  <xs:complexType name=\"Project\">\n"
    "    <xs:choice minOccurs=\"0\" maxOccurs=\"unbounded\">\n"
    "      <xs:element name=\"configuration\" type=\"ProjectConfiguration\"/>\n"
    "      <xs:element name=\"folder\" type=\"Folder\"/>\n"
    "      <xs:element name=\"file\" type=\"File\"/>\n"
    "    </xs:choice>\n"
    "%2"
    "  </xs:complexType>\n"
    "\n"
    "  <xs:complexType name=\"Folder\">\n"
    "    <xs:choice minOccurs=\"0\" maxOccurs=\"unbounded\">\n"
    "      <xs:element name=\"configuration\" type=\"FolderConfiguration\"/>\n"
    "      <xs:element name=\"folder\" type=\"Folder\"/>\n"
    "      <xs:element name=\"file\" type=\"File\"/>\n"
    "    </xs:choice>\n"
    "%3"
    "  </xs:complexType>\n"
    "\n"
    "  <xs:complexType name=\"File\">\n"
    "    <xs:sequence>\n"
    "      <xs:element name=\"configuration\" type=\"FileConfiguration\" minOccurs=\"0\"\n"
    "                  maxOccurs=\"unbounded\"/>\n"
    "    </xs:sequence>\n"
    "%4"
    "  </xs:complexType>\n"
    "\n"
    "  <xs:complexType name=\"Import\">\n"
    "    <xs:attribute name=\"file_name\" type=\"xs:string\" use=\"required\"/>\n"
    "  </xs:complexType>\n";

// The project templates file: templates, their bodies and the configuration templates.
const char kTemplateElements[] =
    "\n"
    "  <xs:complexType name=\"Templates\">\n"
    "    <xs:choice minOccurs=\"0\" maxOccurs=\"unbounded\">\n"
    "      <xs:element name=\"project\" type=\"ProjectTemplate\"/>\n"
    "      <xs:element name=\"configurations\" type=\"ConfigurationTemplates\"/>\n"
    "    </xs:choice>\n"
    "  </xs:complexType>\n"
    "\n"
    "  <xs:group name=\"TemplateBody\">\n"
    "    <xs:choice>\n"
    "      <xs:element name=\"folder\" type=\"TemplateFolder\"/>\n"
    "      <xs:element name=\"file\" type=\"TemplateFile\"/>\n"
    "      <xs:element name=\"property\" type=\"TemplateProperty\"/>\n"
    "      <xs:element name=\"propertygroup\" type=\"TemplatePropertyGroup\"/>\n"
    "      <xs:element name=\"configuration\" type=\"TemplateConfigurationUse\"/>\n"
    "    </xs:choice>\n"
    "  </xs:group>\n"
    "\n"
    "  <xs:complexType name=\"ProjectTemplate\">\n"
    "    <xs:group ref=\"TemplateBody\" minOccurs=\"0\" maxOccurs=\"unbounded\"/>\n"
    "    <xs:attribute name=\"template_name\" type=\"xs:string\" use=\"required\"/>\n"
    "    <xs:attribute name=\"type\" type=\"ProjectType\"/>\n"
    "  </xs:complexType>\n"
    "\n"
    "  <xs:complexType name=\"TemplateFolder\">\n"
    "    <xs:group ref=\"TemplateBody\" minOccurs=\"0\" maxOccurs=\"unbounded\"/>\n"
    "    <xs:attribute name=\"name\" type=\"xs:string\" use=\"required\"/>\n"
    "    <xs:attribute name=\"filter\" type=\"xs:string\"/>\n"
    "  </xs:complexType>\n"
    "\n"
    "  <xs:complexType name=\"TemplateFile\">\n"
    "    <xs:group ref=\"TemplateBody\" minOccurs=\"0\" maxOccurs=\"unbounded\"/>\n"
    "    <xs:attribute name=\"name\" type=\"xs:string\" use=\"required\"/>\n"
    "    <xs:attribute name=\"expand\" type=\"xs:string\"/>\n"
    "    <xs:attribute name=\"source\" type=\"xs:string\"/>\n"
    "  </xs:complexType>\n"
    "\n"
    "  <xs:complexType name=\"TemplateProperty\">\n"
    "    <xs:attribute name=\"name\" type=\"PropertyName\" use=\"required\"/>\n"
    "    <xs:attribute name=\"value\" type=\"xs:string\" use=\"required\"/>\n"
    "    <xs:attribute name=\"configuration\" type=\"xs:string\"/>\n"
    "    <xs:attribute name=\"expand\" type=\"xs:string\"/>\n"
    "  </xs:complexType>\n"
    "\n"
    "  <xs:complexType name=\"TemplatePropertyGroup\">\n"
    "    <xs:attribute name=\"name\" type=\"xs:string\" use=\"required\"/>\n"
    "    <xs:attribute name=\"value\" type=\"xs:string\" use=\"required\"/>\n"
    "    <xs:attribute name=\"configuration\" type=\"xs:string\"/>\n"
    "  </xs:complexType>\n"
    "\n"
    "  <xs:complexType name=\"TemplateConfigurationUse\">\n"
    "    <xs:attribute name=\"name\" type=\"xs:string\" use=\"required\"/>\n"
    "  </xs:complexType>\n"
    "\n"
    "  <xs:complexType name=\"ConfigurationTemplates\">\n"
    "    <xs:sequence>\n"
    "      <xs:element name=\"configuration\" type=\"ConfigurationTemplate\" minOccurs=\"0\"\n"
    "                  maxOccurs=\"unbounded\"/>\n"
    "    </xs:sequence>\n"
    "  </xs:complexType>\n"
    "\n"
    "  <xs:complexType name=\"ConfigurationTemplate\">\n"
    "    <xs:sequence>\n"
    "      <xs:element name=\"property\" type=\"TemplateProperty\" minOccurs=\"0\"\n"
    "                  maxOccurs=\"unbounded\"/>\n"
    "    </xs:sequence>\n"
    "    <xs:attribute name=\"name\" type=\"xs:string\" use=\"required\"/>\n"
    "  </xs:complexType>\n";

QString enumerationType(const QString &name, const QStringList &values)
{
    QString out = QStringLiteral("\n  <xs:simpleType name=\"") + name
                  + QStringLiteral("\">\n    <xs:restriction base=\"xs:string\">\n");
    for (const QString &value : values)
        out += QStringLiteral("      <xs:enumeration value=\"") + xmlEscaped(value)
               + QStringLiteral("\"/>\n");
    return out + QStringLiteral("    </xs:restriction>\n  </xs:simpleType>\n");
}

// The value type of a property attribute: the shared Boolean, its own enumeration, or any text.
QString valueType(const Entry &entry)
{
    const PropertyClass &property = *entry.classes.first();
    if (property.type() == PropertyClass::Boolean)
        return QStringLiteral("Boolean");
    if (!fixedValues(property).isEmpty())
        return QStringLiteral("Values.") + entry.name;
    return QStringLiteral("xs:string");
}

QString attribute(const QString &name, const QString &type, const QString &documentation)
{
    QString out = QStringLiteral("    <xs:attribute name=\"") + name + QStringLiteral("\" type=\"")
                  + type + u'"';
    if (documentation.isEmpty())
        return out + QStringLiteral("/>\n");
    return out + QStringLiteral(">\n      <xs:annotation><xs:documentation>")
           + xmlEscaped(documentation)
           + QStringLiteral("</xs:documentation></xs:annotation>\n    </xs:attribute>\n");
}

QString documentation(const Entry &entry)
{
    const PropertyClass &first = *entry.classes.first();
    return first.shortDescription() + QStringLiteral(": ") + description(first, QString());
}

// The attributes an element carries itself, with the catalogue's texts where it has them.
QString ownAttributes(const SolutionVocabulary &vocabulary, const QString &tag)
{
    QString out;
    for (const QString &name : SolutionVocabulary::elementAttributes(tag)) {
        const Entry *entry = vocabulary.find(name);
        out += attribute(name, QStringLiteral("xs:string"),
                         entry ? documentation(*entry) : QString());
    }
    return out;
}

QString configurationType(const SolutionVocabulary &vocabulary, const QString &typeName,
                          SolutionVocabulary::Place place)
{
    QString out = QStringLiteral("\n  <xs:complexType name=\"") + typeName + QStringLiteral("\">\n");
    const QStringList own = SolutionVocabulary::elementAttributes(QStringLiteral("configuration"));
    out += ownAttributes(vocabulary, QStringLiteral("configuration"));
    for (const Entry &entry : vocabulary.entries()) {
        if (!own.contains(entry.name) && SolutionVocabulary::configurationMayHold(entry, place))
            out += attribute(entry.name, valueType(entry), documentation(entry));
    }
    return out + QStringLiteral("  </xs:complexType>\n");
}

} // namespace

QString solutionSchema(const SolutionVocabulary &vocabulary)
{
    QString out = QString::fromLatin1(kSchemaHead);
    QStringList names;
    for (const Entry &entry : vocabulary.entries()) {
        names.append(entry.name);
        const PropertyClass &property = *entry.classes.first();
        if (property.type() != PropertyClass::Boolean && !fixedValues(property).isEmpty())
            out += enumerationType(QStringLiteral("Values.") + entry.name, fixedValues(property));
    }
    // A configuration template may also hide the configuration it creates.
    for (const QString &name :
         SolutionVocabulary::elementAttributes(QStringLiteral("configuration"))) {
        if (!names.contains(name))
            names.append(name);
    }
    out += enumerationType(QStringLiteral("PropertyName"), names);
    if (const Entry *type = vocabulary.find(QStringLiteral("project_type")))
        out += enumerationType(QStringLiteral("ProjectType"), fixedValues(*type->classes.first()));
    out += QString::fromLatin1(kSolutionElements)
               .arg(ownAttributes(vocabulary, QStringLiteral("solution")),
                    ownAttributes(vocabulary, QStringLiteral("project")),
                    ownAttributes(vocabulary, QStringLiteral("folder")),
                    ownAttributes(vocabulary, QStringLiteral("file")));
    out += configurationType(vocabulary, QStringLiteral("SolutionConfiguration"),
                             SolutionVocabulary::OnSolution);
    out += configurationType(vocabulary, QStringLiteral("ProjectConfiguration"),
                             SolutionVocabulary::OnProject);
    out += configurationType(vocabulary, QStringLiteral("FolderConfiguration"),
                             SolutionVocabulary::OnFolder);
    out += configurationType(vocabulary, QStringLiteral("FileConfiguration"),
                             SolutionVocabulary::OnFile);
    out += QString::fromLatin1(kTemplateElements);
    return out + QStringLiteral("\n</xs:schema>\n");
}
