// A builder that runs nothing and records what the command generators hand it, for tests of
// the exact command lines of each tool pass.
#pragma once

#include "engine/builder.h"

#include <QStringList>

class CommandRecorder : public Builder
{
public:
    void beginGroup(ProjectElement *, const QString &text, int) override
    {
        log.append(QStringLiteral("group ") + text);
    }
    void endGroup(ProjectElement *) override { log.append(QStringLiteral("end")); }
    void init() override { directory = QString(); }
    void setDirectory(const QString &dir) override { directory = dir; }
    void setCommand(const QStringList &words) override { command = words; }
    void setEnvironment(const QStringList &) override {}
    void setOutputFiles(const QStringList &files) override { outputs += files; }
    void setTemporaryFiles(const QStringList &files) override { temporaries += files; }
    void doit() override
    {
        commands.append(command);
        directories.append(directory);
        log.append(QStringLiteral("run ") + command.join(u' '));
    }
    void message(const QString &text) override { log.append(QStringLiteral("message ") + text); }
    void error(const QString &text) override
    {
        errors.append(text);
        log.append(QStringLiteral("error ") + text);
    }

    // The recorded command lines, one text each, with every temporary file written as <tmp>
    // (their names are unique on purpose).
    QStringList lines() const
    {
        QStringList texts;
        for (const QStringList &words : commands) {
            QString text = words.join(u' ');
            for (const QString &temporary : temporaries)
                text.replace(temporary, QStringLiteral("<tmp>"));
            texts.append(text);
        }
        return texts;
    }

    QList<QStringList> commands;
    QStringList directories;
    QStringList log;
    QStringList errors;
    QStringList outputs;
    QStringList temporaries;
    QString directory;
    QStringList command;
};
