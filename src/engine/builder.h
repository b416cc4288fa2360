// The receiver of everything a build produces: progress groups, notes, errors and the commands
// to run. The build engine never prints or starts a process itself; it fills in the current
// command and calls doit().
#pragma once

#include <QString>
#include <QStringList>

class ProjectElement;

class Builder
{
public:
    virtual ~Builder() = default;

    virtual void beginGroup(ProjectElement *element, const QString &text, int flags) = 0;
    virtual void endGroup(ProjectElement *element) = 0;
    virtual void init() = 0;
    virtual void setTotalSteps(ProjectElement *, int steps) { totalSteps = steps; }
    virtual void setDirectory(const QString &dir) = 0;
    virtual void setCommand(const QStringList &words) = 0;
    virtual void setEnvironment(const QStringList &env) = 0;
    virtual void setOutputFiles(const QStringList &files) = 0;
    virtual void setTemporaryFiles(const QStringList &files) = 0;
    virtual void doit() = 0;
    virtual void nextStep() {}
    virtual void error(const QString &text) = 0;
    virtual void note(const QString &) {}
    virtual void success(const QString &) {}
    virtual void message(const QString &) {}
    virtual void idle() {}

    // Parallel builds. The walk brackets the commands of one step with beginJob and endJob; a
    // builder that runs steps at the same time may start the job later, and must keep its
    // console lines together. A barrier job starts only after every job before it has ended
    // (an archive after its objects). waitForJobs returns when every job so far has ended. A
    // builder that runs each command at once ignores all three.
    virtual void beginJob(bool /*barrier*/) {}
    virtual void endJob() {}
    virtual void waitForJobs() {}

    int totalSteps = 0; // the step count last announced by setTotalSteps
};
