// Shared set-up for the project model tests: a project system made current as the global one,
// and a temporary directory to write solution files into; or an ARM project system with a
// created solution S holding an executable project P.
#pragma once

#include "project/arm_project_system.h"
#include "project/project_element.h"
#include "project/project_system.h"
#include "project/solution_load_error.h"
#include "support/qt_printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

inline QString solutionText(const QString &body,
                            const QString &rootAttributes = "Name=\"S\" version=\"2\"")
{
    return "<!DOCTYPE Quillmark_Project_File>\n<solution " + rootAttributes + ">\n" + body +
           "\n</solution>\n";
}

class SolutionFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        system = makeSystem();
        projectSystem = system.get();
    }
    void TearDown() override
    {
        system.reset();
        projectSystem = nullptr;
    }
    virtual std::unique_ptr<ProjectSystem> makeSystem()
    {
        return std::make_unique<ProjectSystem>(QStringList{"C", "C++", "Assembly"},
                                               QStringList{"Executable", "Library"});
    }

    QString path(const QString &name) const { return dir.path() + "/" + name; }

    QString write(const QString &name, const QByteArray &bytes) const
    {
        const QString p = path(name);
        QDir().mkpath(QFileInfo(p).absolutePath());
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        return p;
    }
    QString write(const QString &name, const QString &text) const
    {
        return write(name, text.toUtf8());
    }

    // Writes the solution body to s.zav and loads it.
    ProjectElement *load(const QString &body)
    {
        const QString p = write("s.zav", solutionText(body));
        system->loadSolution(p, nullptr, nullptr);
        return system->solutionElement();
    }

    // The load error of the file, or a null error text when it loaded.
    QString loadError(const QString &file)
    {
        try {
            system->loadSolution(file, nullptr, nullptr);
        } catch (const SolutionLoadError &e) {
            EXPECT_FALSE(system->haveSolution());
            return e.text();
        }
        return QString();
    }

    QTemporaryDir dir;
    std::unique_ptr<ProjectSystem> system;
};

// "tag:name" of each child of `e`, in order.
inline QStringList childNames(ProjectElement *e)
{
    QStringList names;
    for (ProjectElement *c = e->firstChild; c; c = c->nextSibling)
        names.append(c->getTagName() + ":" + c->getName());
    return names;
}

// The value `e` itself holds for `name` in `configuration`; null when it holds none.
inline QString ownValue(ProjectElement *e, const QString &configuration, const QString &name)
{
    ProjectElement *c = e->getConfigurationElement(configuration);
    return c ? c->attribute(name) : QString();
}

class ARMSolutionFixture : public SolutionFixture
{
protected:
    std::unique_ptr<ProjectSystem> makeSystem() override
    {
        return std::make_unique<ARMProjectSystem>();
    }
    void SetUp() override
    {
        SolutionFixture::SetUp();
        solution = system->createSolution("S", dir.path());
        project = system->createProject(solution, "P", dir.path(), "Executable");
    }

    // A file named `name` appended to `parent`.
    ProjectElement *addFileNode(ProjectElement *parent, const QString &name)
    {
        auto *f = new ProjectElement("file");
        parent->appendChild(f);
        f->setFileName(name, false);
        return f;
    }

    ProjectElement *solution = nullptr;
    ProjectElement *project = nullptr;
};
