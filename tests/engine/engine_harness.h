// A small world for testing the build engine in process: a real project system loading a
// solution written by the test, a build system whose "tool" writes the outputs it is asked for
// (and a dependency file naming the headers a source includes), and a builder that records
// everything it is handed. File times come from a clock the test moves, never from waiting.
#pragma once

#include "command_recorder.h"

#include "engine/build_system.h"
#include "project/project_element.h"

#include "support/qt_printers.h"

#include <QDateTime>
#include <QDir>
#include <QRegularExpression>

#include <algorithm>
#include <functional>

// Hands every command to `run`, and, like the console builder, makes sure each output's
// directory exists.
class RecordingBuilder : public CommandRecorder
{
public:
    void setOutputFiles(const QStringList &files) override
    {
        CommandRecorder::setOutputFiles(files);
        for (const QString &file : files)
            QDir().mkpath(QFileInfo(file).path());
    }
    void doit() override
    {
        CommandRecorder::doit();
        if (run)
            run(*this);
    }

    std::function<void(RecordingBuilder &)> run;
};

// Generates one "tool" command per action: tool <action> <output> <inputs...>.
class FakeToolBuildSystem : public StandardBuildSystem
{
public:
    void createCommandFor(ProjectElement *element, const QString &, BuildAction action,
                          const QString &output, const QString &absoluteOutput,
                          const QStringList &inputs, Builder *builder, bool, bool) override
    {
        builder->init();
        builder->setDirectory(projectDirectory);
        builder->beginGroup(element, QStringLiteral("Making ") + output, 0);
        builder->setCommand(QStringList{QStringLiteral("tool"), QString::number(action), output}
                            + inputs);
        builder->setOutputFiles({absoluteOutput});
        builder->doit();
        builder->endGroup(element);
    }
};

class EngineTest : public BuildSystemTest<FakeToolBuildSystem>
{
protected:
    void SetUp() override
    {
        BuildSystemTest::SetUp();
        use(std::make_unique<FakeToolBuildSystem>());
        clock = QDateTime::currentSecsSinceEpoch() - 10000;
        // A link without a script of its own depends on the installation's default section
        // placement file.
        macroSystem.setSystemMacro(QStringLiteral("StudioDir"), root);
        source(QStringLiteral("targets/section_placement.xml"));
        builder.run = [this](RecordingBuilder &b) { runTool(b); };
    }

    // Writes the solution (a DOCTYPE line is added) and loads it.
    void load(const QString &body)
    {
        loadSolution(QStringLiteral("<!DOCTYPE Quillmark_Project_File>\n") + body);
    }

    // A solution with one configuration, Debug, and these projects.
    void loadProjects(const QString &projects)
    {
        load(QStringLiteral("<solution Name=\"s\"><configuration Name=\"Debug\"/>") + projects
             + QStringLiteral("</solution>"));
    }

    // An executable project "app" that writes no map file.
    static QString app(const QString &common = QString(),
                       const QString &files = QStringLiteral("<file file_name=\"main.c\"/>"))
    {
        return QStringLiteral(R"(<project Name="app">
            <configuration Name="Common" linker_map_file="No" %1/>%2</project>)")
            .arg(common, files);
    }

    void set(ProjectElement *element, const QString &name, const QString &value,
             const QString &configuration = QStringLiteral("Common"))
    {
        projectSystem->setProperty(element, name, configuration, value, false);
    }

    // A source file, older than anything the tool writes.
    void source(const QString &name, const QString &text = QString())
    {
        const QString path = root + u'/' + name;
        ASSERT_TRUE(writeTextFile(path, text));
        ASSERT_TRUE(setFileTime(path, clock - 100000));
    }

    // Makes a file newer than everything written so far.
    void touch(const QString &name)
    {
        clock += 10;
        ASSERT_TRUE(setFileTime(root + u'/' + name, clock));
    }

    // Makes everything built so far look as if built long ago (but after the sources), so that
    // a property the test changes now is newer than the outputs.
    void ageOutputs(const QString &directory = QStringLiteral("Debug"))
    {
        const QDir dir(root + u'/' + directory);
        for (const QString &name : dir.entryList(QDir::Files))
            ASSERT_TRUE(setFileTime(dir.filePath(name), clock - 50000));
    }

    bool exists(const QString &name) const { return QFileInfo::exists(root + u'/' + name); }

    ProjectElement *solution() const { return projectSystem->solutionElement(); }
    ProjectElement *project(const QString &name) const
    {
        return projectSystem->findProject(solution(), name);
    }

    int build(int flags = BuildQuiet, const QString &config = QStringLiteral("Debug"))
    {
        builder.log.clear();
        builder.commands.clear();
        builder.directories.clear();
        return buildSystem->build(solution(), config, &builder, flags, true, false);
    }

    // The outputs the tool made in the last build, in order.
    QStringList made() const
    {
        QStringList outputs;
        for (const QStringList &command : builder.commands) {
            if (command.value(0) == u"tool")
                outputs.append(command.value(2));
        }
        return outputs;
    }

    // The tool writes every announced output at the next tick of the clock; for a compile it
    // also writes the dependency file, naming the source and the files it includes with
    // `#include "name"`. An output name starting with "fail" makes the tool fail instead.
    void runTool(RecordingBuilder &b)
    {
        const QStringList &command = b.command;
        if (command.value(0) == u"fail" || command.value(2).contains(u"fail")) {
            buildSystem->buildFailed = true;
            return;
        }
        if (command.value(0) != u"tool") {
            QStringList args = command;
            QString error;
            if (standardBuildSystem->builtinCommand(b.directory, args, error)) {
                if (!error.isEmpty())
                    buildSystem->buildFailed = true;
                if (!b.outputs.isEmpty())
                    stamp(b.outputs.first());
            }
            return;
        }
        // Like a real tool, write no earlier than now, so that outputs are newer than the
        // property changes a test made before building.
        clock = std::max(clock + 10, QDateTime::currentSecsSinceEpoch() + 1);
        for (const QString &output : std::as_const(b.outputs)) {
            writeTextFile(output, command.join(u' '));
            stamp(output);
            if (command.value(1).toInt() >= StandardBuildSystem::CompileCAction
                && command.value(1).toInt() <= StandardBuildSystem::AssembleAction)
                writeDependencyFile(b.directory, output, command.value(3));
        }
    }

    void stamp(const QString &path) { setFileTime(path, clock); }

    void writeDependencyFile(const QString &dir, const QString &object, const QString &input)
    {
        const QString sourcePath = QDir::isAbsolutePath(input) ? input : dir + u'/' + input;
        QStringList names{input};
        static const QRegularExpression include(QStringLiteral("#include \"([^\"]+)\""));
        auto matches = include.globalMatch(readTextFile(sourcePath));
        while (matches.hasNext())
            names.append(matches.next().captured(1).replace(u' ', QStringLiteral("\\ ")));
        const QFileInfo info(object);
        const QString depFile = info.path() + u'/' + info.fileName().section(u'.', 0, 0) + ".d";
        writeTextFile(depFile, info.fileName() + QStringLiteral(": ") + names.join(" \\\n  ")
                                   + u'\n');
        setFileTime(depFile, clock);
    }

    qint64 clock = 0;
    RecordingBuilder builder;
};
