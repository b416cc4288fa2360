#include "engine/compile_command.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace {

// The installation's passes come from the GNU ARM embedded tool chain; its driver carries the
// target triple in its name.
const QString kDriverPrefix = QStringLiteral("arm-none-eabi-");

// Options of the pass that take the next word as their argument when written apart.
bool takesSeparateArgument(const QString &word)
{
    static const QSet<QString> options{
        QStringLiteral("-I"),        QStringLiteral("-isystem"),
        QStringLiteral("-iquote"),   QStringLiteral("-idirafter"),
        QStringLiteral("-include"),  QStringLiteral("-imacros"),
        QStringLiteral("-iprefix"),  QStringLiteral("-iwithprefix"),
        QStringLiteral("-D"),        QStringLiteral("-U"),
        QStringLiteral("-o"),        QStringLiteral("-MD"),
        QStringLiteral("-MMD"),      QStringLiteral("-MF"),
        QStringLiteral("-MQ"),       QStringLiteral("-MT"),
        QStringLiteral("-dumpbase"), QStringLiteral("-dumpdir"),
        QStringLiteral("-auxbase"),  QStringLiteral("-auxbase-strip")};
    return options.contains(word);
}

// What only steers the pass: its output, its console manners, the preprocessing-only forms
// and the pass's own names for its inputs.
bool isPassOnly(const QString &option)
{
    static const QSet<QString> options{
        QStringLiteral("-o"),       QStringLiteral("-M"),        QStringLiteral("-MM"),
        QStringLiteral("-quiet"),   QStringLiteral("-v"),        QStringLiteral("-E"),
        QStringLiteral("-P"),       QStringLiteral("-lang-asm"), QStringLiteral("-dumpbase"),
        QStringLiteral("-dumpdir"), QStringLiteral("-auxbase"),  QStringLiteral("-auxbase-strip")};
    return options.contains(option);
}

// cc1 takes the dependency file as the argument of -MD (or -MMD); the driver takes it from -MF.
bool namesDependencyFile(const QString &option)
{
    return option == u"-MD" || option == u"-MMD";
}

// Interworking is what the EABI's calling convention always gives, so the driver ignores the
// option; the clang-based tools reject it, and leaving it out lets them read the entries.
bool isMeaninglessForTheDriver(const QString &option)
{
    return option == u"-mthumb-interwork";
}

// "cc1" and "cc1plus", with whatever tool prefix the installation gives them.
std::optional<QString> driverName(const QString &program)
{
    const QString name = QFileInfo(program).fileName();
    if (name.endsWith(u"cc1plus"))
        return kDriverPrefix + QStringLiteral("g++");
    if (name.endsWith(u"cc1"))
        return kDriverPrefix + QStringLiteral("gcc");
    return std::nullopt;
}

// A driver beside the passes is the one they belong to; otherwise the search path decides.
QString driverProgram(const QString &passProgram, const QString &driver)
{
    const QFileInfo pass(passProgram);
    if (pass.isAbsolute()) {
        const QFileInfo beside(pass.dir().filePath(driver));
        if (beside.isExecutable())
            return beside.filePath();
    }
    return driver;
}

QString absoluteIn(const QString &directory, const QString &path)
{
    return QDir::cleanPath(QDir(directory).absoluteFilePath(path));
}

// The words of a pass after its program: the options the driver keeps (with their separate
// arguments), the source, and whether the source is assembly to preprocess.
struct PassWords
{
    QStringList options;
    QString source;
    QString output; // the pass's own output
    bool assembly = false;
};

PassWords sortPassWords(const QStringList &pass)
{
    PassWords words;
    for (qsizetype i = 1; i < pass.size(); ++i) {
        const QString &word = pass.at(i);
        if (!word.startsWith(u'-') || word.size() == 1) {
            // A second source would be an error of the pass: keep the last one as the source.
            if (!words.source.isNull())
                words.options << words.source;
            words.source = word;
            continue;
        }
        words.assembly = words.assembly || word == u"-lang-asm";
        const bool pairs = takesSeparateArgument(word) && i + 1 < pass.size();
        if (pairs && word == u"-o")
            words.output = pass.at(i + 1);
        if (pairs && namesDependencyFile(word)) {
            words.options << word << QStringLiteral("-MF") << pass.at(i + 1);
        } else if (!isPassOnly(word) && !isMeaninglessForTheDriver(word)) {
            words.options << word;
            if (pairs)
                words.options << pass.at(i + 1);
        }
        if (pairs)
            ++i;
    }
    return words;
}

QJsonObject toJson(const CompileCommand &command)
{
    QJsonObject entry{{QStringLiteral("directory"), command.directory},
                      {QStringLiteral("file"), command.file},
                      {QStringLiteral("arguments"), QJsonArray::fromStringList(command.arguments)}};
    if (!command.output.isEmpty())
        entry.insert(QStringLiteral("output"), command.output);
    return entry;
}

// The driver form, stopped after compiling ("-c") or after assembly generation ("-S"), written
// to `output` (relative to `directory`, or absolute).
std::optional<CompileCommand> driverCommand(const QString &directory, const QStringList &pass,
                                            const QString &output, const QString &stop,
                                            const PassWords &words)
{
    const std::optional<QString> driver = driverName(pass.value(0));
    if (!driver || words.source.isEmpty())
        return std::nullopt;
    CompileCommand command;
    command.directory = QDir::cleanPath(QDir(directory).absolutePath());
    command.file = absoluteIn(command.directory, words.source);
    command.output = output.isEmpty() ? QString() : absoluteIn(command.directory, output);
    // Debug information names the directory the compiler ran in; mapped to ".", an object
    // compiled in one checkout is the same as one compiled in another, so a compiler cache can
    // share it between them.
    command.arguments << driverProgram(pass.first(), *driver) << words.options
                      << QStringLiteral("-fdebug-prefix-map=") + command.directory +
                             QStringLiteral("=.")
                      << stop;
    if (words.assembly)
        command.arguments << QStringLiteral("-x") << QStringLiteral("assembler-with-cpp");
    command.arguments << words.source;
    if (!command.output.isEmpty())
        command.arguments << QStringLiteral("-o") << command.output;
    return command;
}

} // namespace

std::optional<CompileCommand> compileCommandFromPass(const QString &directory,
                                                     const QStringList &pass, const QString &object)
{
    return driverCommand(directory, pass, object, QStringLiteral("-c"), sortPassWords(pass));
}

std::optional<CompileCommand> assemblyCommandFromPass(const QString &directory,
                                                      const QStringList &pass)
{
    const PassWords words = sortPassWords(pass);
    if (words.assembly || words.output.isEmpty())
        return std::nullopt;
    return driverCommand(directory, pass, words.output, QStringLiteral("-S"), words);
}

QByteArray compileCommandsJson(const QList<CompileCommand> &commands)
{
    QJsonArray entries;
    for (const CompileCommand &command : commands)
        entries.append(toJson(command));
    return QJsonDocument(entries).toJson(QJsonDocument::Indented);
}
