// The 64-bit hash that stands for everything that shaped an output: a build step records it
// beside the output, and a later build that would compute another one runs the step again.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

class SignatureHash
{
public:
    // Each text counts with its length, so that "ab" then "c" differs from "a" then "bc".
    void add(QStringView text);
    void add(const QStringList &texts);
    void add(quint64 value);
    quint64 value() const;

private:
    quint64 m_state = 0xcbf29ce484222325ULL;
};
