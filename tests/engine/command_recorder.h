// A builder that runs nothing and records what the engine and the command generators hand it,
// one log line per call, for tests of the exact command lines and messages of each step.
#pragma once

#include "engine/build_flags.h"
#include "engine/builder.h"
#include "engine/standard_build_system.h"
#include "macros/macro_system.h"
#include "project/arm_project_system.h"

#include "support/run_kestrel.h"

#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

class CommandRecorder : public Builder
{
public:
    void beginGroup(ProjectElement *, const QString &text, int) override
    {
        log.append(QStringLiteral("group ") + text);
    }
    void endGroup(ProjectElement *) override { log.append(QStringLiteral("end")); }
    void init() override
    {
        directory = QString();
        command.clear();
        outputs.clear();
    }
    void setDirectory(const QString &dir) override { directory = dir; }
    void setCommand(const QStringList &words) override { command = words; }
    void setEnvironment(const QStringList &) override {}
    void setOutputFiles(const QStringList &files) override { outputs = files; }
    void setTemporaryFiles(const QStringList &files) override { temporaries += files; }
    void doit() override
    {
        commands.append(command);
        directories.append(directory);
        log.append(QStringLiteral("run ") + command.join(u' '));
    }
    void message(const QString &text) override { log.append(QStringLiteral("message ") + text); }
    void note(const QString &text) override { log.append(QStringLiteral("note ") + text); }
    void success(const QString &text) override { log.append(QStringLiteral("success ") + text); }
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

    // The log lines that start with `prefix`, without it.
    QStringList lines(const QString &prefix) const
    {
        QStringList found;
        for (const QString &line : log) {
            if (line.startsWith(prefix))
                found.append(line.mid(prefix.size()));
        }
        return found;
    }

    QList<QStringList> commands;
    QStringList directories; // the working directory of each command
    QStringList log;
    QStringList errors;
    QStringList outputs; // of the current step
    QStringList temporaries;
    QString directory;
    QStringList command;
};

// The ARM project system and a build system of type System, installed by use(), on a
// temporary directory.
template <typename System> class BuildSystemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        root = QFileInfo(m_dir.path()).canonicalFilePath();
        m_projects = std::make_unique<ARMProjectSystem>();
        projectSystem = m_projects.get();
    }

    void TearDown() override
    {
        m_build.reset();
        m_projects.reset();
        buildSystem = nullptr;
        standardBuildSystem = nullptr;
        projectSystem = nullptr;
        macroSystem.reset();
    }

    void use(std::unique_ptr<System> system)
    {
        m_build = std::move(system);
        buildSystem = standardBuildSystem = m_build.get();
    }

    // Writes the solution to test.zav and loads it.
    void loadSolution(const QString &text)
    {
        const QString path = root + QStringLiteral("/test.zav");
        ASSERT_TRUE(writeTextFile(path, text));
        projectSystem->loadSolution(path, nullptr, nullptr);
    }

    QString root;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ARMProjectSystem> m_projects;
    std::unique_ptr<System> m_build;
};

// A solution with one configuration, Debug, and one project, app: `common` goes into the project's
// "Common" configuration (a repeated attribute overrides the first), `files` into the project.
inline QString appSolution(const QString &common, const QString &files)
{
    return QStringLiteral(R"(<!DOCTYPE Quillmark_Project_File>
<solution Name="s" version="2"><configuration Name="Debug"/>
  <project Name="app"><configuration Name="Common" %1/>%2</project></solution>)")
        .arg(common, files);
}

// build() loads a solution and builds it with the recorder, so that every step is out of date,
// and returns the command lines.
template <typename System> class CommandLineTest : public BuildSystemTest<System>
{
protected:
    QStringList build(const QString &solution)
    {
        this->loadSolution(solution);
        buildSystem->build(projectSystem->solutionElement(), QStringLiteral("Debug"), &recorder,
                           BuildQuiet, true, false);
        return recorder.lines();
    }

    CommandRecorder recorder;
};
