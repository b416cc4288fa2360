// kestrel -check: what a loaded solution says that the build would silently ignore or get
// wrong, each with the file and line that says it.
#pragma once

#include <QList>
#include <QString>

class ProjectElement;
class SolutionVocabulary;

struct SolutionFinding
{
    QString file; // absolute path of the solution file (or import) that holds it
    int line = 0; // 1-based
    QString message;
};

// Checks the solution `solution` loaded by `projectSystem`: unknown elements and attributes
// (with the nearest known name), values outside a property's fixed values, project
// dependencies naming no project, and two files of a project compiling to one object file in
// an offered configuration (needs `standardBuildSystem` and the system macros). Findings come
// sorted by file and line; nodes the run made itself (templates, dynamic folders) have no line
// and are not checked for names.
QList<SolutionFinding> checkSolution(ProjectElement *solution,
                                     const SolutionVocabulary &vocabulary);
