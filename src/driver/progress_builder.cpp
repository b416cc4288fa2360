#include "driver/progress_builder.h"

// The engine announces a project's step count right after opening the project's group, so the
// project's steps open their groups one level deeper.
void ProgressBuilder::setTotalSteps(ProjectElement *element, int steps)
{
    KestrelBuilder::setTotalSteps(element, steps);
    m_step = 0;
    m_stepDepth = m_depth + 1;
}

void ProgressBuilder::nextStep()
{
    KestrelBuilder::nextStep();
    ++m_step;
}

void ProgressBuilder::beginGroup(ProjectElement *element, const QString &text, int flags)
{
    ++m_depth;
    if (m_depth == m_stepDepth && m_step > 0)
        openGroup(element, text, stepPrefix(m_step, totalSteps) + text);
    else
        KestrelBuilder::beginGroup(element, text, flags);
}

// Leaving the project's group leaves its steps: a later group outside any project (or in a
// project whose count is not announced yet) gets no number.
void ProgressBuilder::endGroup(ProjectElement *element)
{
    KestrelBuilder::endGroup(element);
    --m_depth;
    if (m_depth < m_stepDepth - 1)
        m_stepDepth = -1;
}

QString ProgressBuilder::stepPrefix(int step, int total)
{
    return u'[' + QString::number(step) + u'/' + QString::number(total) + QStringLiteral("] ");
}
