// Collects the compilations a build would run, for a compile commands file, by walking the
// build with a builder that records the compiler passes instead of running anything.
#pragma once

#include "engine/builder.h"
#include "engine/compile_command.h"

#include <QList>
#include <QString>
#include <QStringList>

class BuildSystem;
class ProjectElement;

// A builder that runs nothing and prints nothing: each compiler pass handed to doit() becomes a
// CompileCommand (with the object file the step announced through setOutputFiles), in the order
// of the walk. Errors the engine reports are kept.
class CompileCommandsRecorder : public Builder
{
public:
    void beginGroup(ProjectElement *, const QString &, int) override {}
    void endGroup(ProjectElement *) override {}
    void init() override;
    void setDirectory(const QString &dir) override { m_directory = dir; }
    void setCommand(const QStringList &words) override { m_command = words; }
    void setEnvironment(const QStringList &) override {}
    void setOutputFiles(const QStringList &files) override { m_outputFiles = files; }
    void setTemporaryFiles(const QStringList &) override {}
    void doit() override;
    void error(const QString &text) override { m_errors.append(text); }
    bool runsCommands() const override { return false; }

    const QList<CompileCommand> &commands() const { return m_commands; }
    const QStringList &errors() const { return m_errors; }

private:
    QString m_directory;
    QStringList m_command;
    QStringList m_outputFiles;
    QList<CompileCommand> m_commands;
    QStringList m_errors;
};

// Every compilation that building `element` in `config` would run if everything were out of
// date, up-to-date files included: a rebuild walk through the recorder. Nothing is compiled or
// removed; like a shown build, the walk may bring a generated linker script up to date.
QList<CompileCommand> collectCompileCommands(BuildSystem &system, ProjectElement *element,
                                             const QString &config, bool batch);

// Collects the compilations and writes them to `file` as a compile commands file, replacing it
// as a whole. False, with `error` set, when the file cannot be written.
[[nodiscard]] bool writeCompileCommands(BuildSystem &system, ProjectElement *element,
                                        const QString &config, bool batch, const QString &file,
                                        QString *error);
