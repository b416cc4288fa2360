// The commands the builder carries out without starting a process (copying a staged file,
// changing its write permission, deleting a temporary file), the rewriting of the
// installation's helper commands, options files and the link patch command.

#include "engine/standard_build_system.h"

#include "engine/build_property_catalogue.h"
#include "engine/builder.h"
#include "host/dequotify.h"
#include "host/path.h"
#include "host/product.h"
#include "host/qtx.h"
#include "macros/macro_system.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

namespace {

const QString kCp = QStringLiteral("cp");
const QString kChmod = QStringLiteral("chmod");
const QString kRm = QStringLiteral("rm");
const QString kDocgen = QStringLiteral("docgen");
const QString kXmlcp = QStringLiteral("xmlcp");
const QString kMkhdr = QStringLiteral("mkhdr");

QString quoted(const QString &path)
{
    return u'"' + QDir::toNativeSeparators(path) + u'"';
}

// Removes every "/* ... */" from `line`; `inComment` carries an open comment to the next line.
QString withoutComments(const QString &line, bool &inComment)
{
    QString kept;
    int i = 0;
    while (i < line.size()) {
        if (inComment) {
            const int end = line.indexOf(QLatin1String("*/"), i);
            if (end < 0)
                return kept;
            inComment = false;
            i = end + 2;
            continue;
        }
        const int start = line.indexOf(QLatin1String("/*"), i);
        if (start < 0) {
            kept += line.mid(i);
            break;
        }
        kept += line.mid(i, start - i);
        inComment = true;
        i = start + 2;
    }
    return kept;
}

} // namespace

QString StandardBuildSystem::getAbsPath(const QString &dir, const QString &path)
{
    if (Path::isAbsolute(path) || dir.isEmpty())
        return path;
    return dir + u'/' + path;
}

bool StandardBuildSystem::builtinCommand(const QString &dir, QStringList &args, QString &error)
{
    if (args.isEmpty())
        return false;
    const QString &command = args.first();
    if (command == kCp && args.size() >= 3) {
        cp(dir, args[1], args[2], error);
        return true;
    }
    if (command == kChmod && args.size() >= 3) {
        chmod(dir, args[1] == QLatin1String("+w"), args[2], error);
        return true;
    }
    if (command == kRm && args.size() >= 2) {
        rm(dir, args[1], error);
        return true;
    }
    if (command == kDocgen)
        return true;
    if (command == kXmlcp || command == kMkhdr)
        args[0] = QTx::rootDirectory() + QLatin1String("/bin/") + command;
    return false;
}

bool StandardBuildSystem::cp(const QString &dir, const QString &source, const QString &destination,
                             QString &error)
{
    const QString from = getAbsPath(dir, source);
    const QString to = getAbsPath(dir, destination);
    // Removing first lets a copy replace a destination that was made read-only.
    QTx::removeFile(to);
    if (QTx::copyFile(from, to, false))
        return true;
    error = QStringLiteral("cp failed: can't copy \"%1\" to \"%2\"").arg(source, destination);
    return false;
}

bool StandardBuildSystem::chmod(const QString &dir, bool writable, const QString &path,
                                QString &error)
{
    if (QTx::setWriteable(getAbsPath(dir, path), writable))
        return true;
    error = QStringLiteral("chmod failed: can't make \"%1\" writable").arg(path);
    return false;
}

bool StandardBuildSystem::rm(const QString &dir, const QString &path, QString &error)
{
    if (QTx::removeFile(getAbsPath(dir, path)))
        return true;
    error = QStringLiteral("rm failed: can't remove \"%1\"").arg(path);
    return false;
}

bool StandardBuildSystem::getExportableBuiltinCommand(const QString &command,
                                                      const QStringList &args, QString &text)
{
    if (command == kCp && args.size() >= 2) {
        text = QStringLiteral("cp -f ") + quoted(args[0]) + u' ' + quoted(args[1]);
        return true;
    }
    if (command == kRm && !args.isEmpty()) {
        text = QStringLiteral("rm -f ") + quoted(args[0]);
        return true;
    }
    if (command == kChmod && args.size() >= 2) {
        text = QStringLiteral("chmod ") + (args[0] == QLatin1String("+w") ? u"u+w" : u"a-w") +
               u' ' + quoted(args[1]);
        return true;
    }
    if (command == kXmlcp || command == kMkhdr) {
        QStringList words{quoted(QTx::rootDirectory() + QLatin1String("/bin/") + command)};
        for (const QString &arg : args)
            words.append(quoted(arg));
        text = words.join(u' ');
        return true;
    }
    return false;
}

// Each line's text outside comments is one more group of arguments, split at blanks the way
// a command text is (quotes keep blanks inside an argument).
bool StandardBuildSystem::addOptionsFromFileToCommand(const QString &file, QStringList &args)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream stream(&in);
    bool inComment = false;
    QString line;
    while (stream.readLineInto(&line))
        args += dequotify(withoutComments(line, inComment).replace(u'\t', u' '));
    return true;
}

void StandardBuildSystem::addCommonPreprocessorDefinitions(QStringList &args)
{
    args << QStringLiteral("-D__TESSARY_MAJOR_VERSION=%1").arg(Get_RELEASE_MAJOR_NUMBER())
         << QStringLiteral("-D__TESSARY_MINOR_VERSION=%1").arg(Get_RELEASE_MINOR_NUMBER())
         << QStringLiteral("-D__TESSARY_REVISION=%1").arg(Get_RELEASE_REVISION_NUMBER());
}

void StandardBuildSystem::createLinkPatchCommand(ProjectElement *element, const QString &config,
                                                 const QString &absoluteOutput, Builder *builder)
{
    const QString expanded =
        settingForExpanded(element, properties().linker_patch_build_command, config);
    const QMap<QString, QString> target{{QStringLiteral("TargetPath"), absoluteOutput}};
    const QStringList command = dequotify(macroSystem.replaceMacros(target, expanded));
    if (command.isEmpty())
        return;
    builder->init();
    builder->setDirectory(
        settingForExpanded(element, properties().linker_patch_build_command_wd, config));
    builder->setCommand(command);
    builder->doit();
}
