// ProgressBuilder: the console builder with step numbers, for -progress.
#pragma once

#include "driver/kestrel_builder.h"

#include <QString>

// Each group line of a project's build steps starts with "[n/N] ": n is the step's number
// within the project (nextStep counts them, up-to-date steps included, so numbers skip over
// steps that had nothing to do) and N the project's step count from setTotalSteps. Lines of
// groups nested inside a step, and groups outside any project, are left as they are.
class ProgressBuilder : public KestrelBuilder
{
public:
    using KestrelBuilder::KestrelBuilder;

    void setTotalSteps(ProjectElement *element, int steps) override;
    void nextStep() override;
    void beginGroup(ProjectElement *element, const QString &text, int flags) override;
    void endGroup(ProjectElement *element) override;

    // "[n/N] ".
    static QString stepPrefix(int step, int total);

private:
    int m_depth = 0;      // groups open now
    int m_stepDepth = -1; // the depth a step's group opens at; -1 outside a project
    int m_step = 0;       // the current step's number, 0 before the first
};
