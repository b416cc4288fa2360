// Adding file nodes to a project: into the folder whose filter takes the file's extension, and
// from the directory of a dynamic folder when a solution is loaded.
#pragma once

#include <QString>

class ProjectElement;
class ProjectSystem;

// Creates a file node for `fileName` (stored exactly as given) below `parent`: into `parent`
// itself when it is a folder, else into the first direct child folder whose filter lists the
// file's lower-cased extension, else into `parent`. No duplicate check: callers look first.
ProjectElement *addFile(const ProjectSystem &system, ProjectElement *parent,
                        const QString &fileName, bool flag);

// Adds the plain files of the folder's `path` directory that match its `filter` and that the
// folder does not list yet, named `path` + "/" + file name so that macros and relative forms
// are kept. A relative `path` is taken against the containing project's directory (against the
// solution's directory for a folder outside any project).
void populateDynamicFolder(const ProjectSystem &system, ProjectElement *folder);
