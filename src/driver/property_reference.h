// The property reference (Markdown) and the solution file schema (XML Schema), both written
// from the solution vocabulary so that they list exactly the properties the build knows.
#pragma once

#include <QString>
#include <QStringList>

class PropertyClass;
class SolutionVocabulary;

QString propertyReferenceMarkdown(const SolutionVocabulary &vocabulary);
QString solutionSchema(const SolutionVocabulary &vocabulary);

// The values a property's value must be one of, as the build compares them (exactly as
// written, without macro expansion); empty when any text will do. A Boolean is "Yes" or "No"
// (an empty value counts as "No").
QStringList fixedValues(const PropertyClass &property);
// Whether `value` is acceptable for `property` by fixedValues().
bool isAllowedValue(const PropertyClass &property, const QString &value);
