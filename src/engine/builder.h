// The receiver of everything a build produces: progress groups, notes, errors and the commands
// to run. The build engine never prints or starts a process itself; it fills in the current
// command and calls doit().
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

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

    // What the command of the next doit() is within a compilation step, for a builder that
    // runs compilations through a compiler launcher in the compiler driver's form; the walk
    // says it before that doit and init() forgets it. Compile: a compiler pass whose output
    // only the step's assembler pass reads, so that one driver command can make the object.
    // CompileToAssembly: a compiler pass whose assembly something else reads first (section
    // renaming, a kept listing). Assemble: that assembler pass. RemoveIntermediate: the
    // removal of the compiler pass's temporary output. A builder that runs the commands as
    // given ignores all of this: the commands themselves never change.
    enum class Pass { Other, Compile, CompileToAssembly, Assemble, RemoveIntermediate };
    virtual void setPass(Pass) {}
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

    // The engine's own work between the steps, for a builder that shows where the time went.
    // `subject` names what the phase is about (a project, an output, a script); the builder
    // makes a text of it only when it wants one, so a no-op build pays a call per check.
    enum class Phase { Resolving, UpToDateCheck, LinkerScript };
    virtual void beginPhase(Phase, const QString & /*subject*/) {}
    virtual void endPhase() {}

    // `output` of `element` was linked in this build, or found up to date.
    virtual void linked(ProjectElement *, const QString & /*config*/, const QString & /*output*/) {}
    // False for a builder that only shows or collects the commands: no step makes its output
    // then, and what is recorded about the outputs stays as it was.
    virtual bool runsCommands() const { return true; }
    // How the step whose commands were just handed over ended, asked at the end of each step.
    // A builder that ran each command as it was handed over returns false: the walk knows the
    // outcome itself (the build failed or it did not). A builder that runs the step's job later
    // keeps `done` and calls it on the walk's thread once the job has ended, true when every
    // command succeeded; never for a job that did not run or that an interruption cut short.
    virtual bool whenStepEnds(const std::function<void(bool succeeded)> & /*done*/)
    {
        return false;
    }

    int totalSteps = 0; // the step count last announced by setTotalSteps
};

// Brackets one phase of the engine's own work; a null builder is allowed.
class PhaseScope
{
public:
    PhaseScope(Builder *builder, Builder::Phase phase, const QString &subject) : m_builder(builder)
    {
        if (m_builder)
            m_builder->beginPhase(phase, subject);
    }
    ~PhaseScope() { end(); }
    // Ends the phase before the scope does.
    void end()
    {
        if (m_builder)
            m_builder->endPhase();
        m_builder = nullptr;
    }
    PhaseScope(const PhaseScope &) = delete;
    PhaseScope &operator=(const PhaseScope &) = delete;

private:
    Builder *m_builder;
};
