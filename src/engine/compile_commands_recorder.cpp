#include "engine/compile_commands_recorder.h"

#include "engine/build_flags.h"
#include "engine/build_system.h"

#include <QSaveFile>

void CompileCommandsRecorder::init()
{
    m_directory = QString();
    m_command.clear();
    m_outputFiles.clear();
}

// The step announces its object before the first pass runs; the later passes (section
// renaming, the assembler, removing the temporary file) are not compiler passes.
void CompileCommandsRecorder::doit()
{
    const QString object = m_outputFiles.value(0);
    if (std::optional<CompileCommand> command =
            compileCommandFromPass(m_directory, m_command, object))
        m_commands.append(*command);
}

QList<CompileCommand> collectCompileCommands(BuildSystem &system, ProjectElement *element,
                                             const QString &config, bool batch)
{
    CompileCommandsRecorder recorder;
    // A rebuild walk reaches every compilation; nothing is cleaned, and quietly, because no
    // up-to-date check matters here.
    system.build(element, config, &recorder, BuildRebuild | BuildQuiet, true, batch);
    return recorder.commands();
}

bool writeCompileCommands(BuildSystem &system, ProjectElement *element, const QString &config,
                          bool batch, const QString &file, QString *error)
{
    const QByteArray text =
        compileCommandsJson(collectCompileCommands(system, element, config, batch));
    // Written aside and renamed, so that an editor watching the file never reads half of it.
    QSaveFile out(file);
    if (out.open(QIODevice::WriteOnly) && out.write(text) == text.size() && out.commit())
        return true;
    *error = QStringLiteral("cannot write compile commands file \"") + file +
             QStringLiteral("\": ") + out.errorString();
    return false;
}
