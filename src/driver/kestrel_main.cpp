#include "driver/kestrel_main.h"

#include "driver/error_report.h"
#include "driver/help_text.h"
#include "driver/kestrel_arg_parse.h"
#include "host/h_exception.h"
#include "host/qtx.h"
#include "project/solution_load_error.h"

#include <cstdio>
#include <iostream>

namespace {

constexpr int kFailed = 1;

[[noreturn]] void optionError(const char *message)
{
    report->error() << message << std::endl;
    throw RunEnds{kFailed};
}

// The tests for presence come first; the others are for non-empty values.
void checkOptions(const KestrelArgParse &args)
{
    if (!args.solutionName.isNull() && !args.projectName.isNull())
        optionError("-solution and -project are exclusive.");
    if (args.solutionFileName.isEmpty() && args.templateName.isEmpty()
        && args.projectType.isEmpty())
        optionError(".zav file or -template or -type must be specified.");
    if (args.check && args.solutionFileName.isEmpty())
        optionError("-check needs a .zav file.");
    // A check looks at every configuration, so it names none.
    if (args.configName.isEmpty() && !args.check)
        optionError("-config must be specified.");
    if (!args.templateName.isEmpty() && args.projectName.isEmpty())
        optionError("-project must be specified with -template.");
    if (!args.projectType.isEmpty() && args.projectName.isEmpty())
        optionError("-project must be specified with -type.");
}

QByteArray local(const QString &text)
{
    return text.toLocal8Bit();
}

int buildReportingErrors(KestrelArgParse &args, const DriverServices &services)
{
    try {
        return services.build(args);
    } catch (const RunEnds &) {
        throw;
    } catch (const HException &e) {
        std::fprintf(stderr, "error: %s\n", local(e.message).constData());
    } catch (const SolutionLoadError &e) {
        if (e.badXml)
            std::fprintf(stderr, "load error: bad XML file - %s\n", local(e.message).constData());
        else
            std::fprintf(stderr, "load error: %s%s\n", local(e.name).constData(),
                         local(e.message).constData());
    } catch (...) {
        std::fputs("Internal error detected\n", stderr);
    }
    return kFailed;
}

int parseCheckAndBuild(int argc, char **argv, const DriverServices &services)
{
    ErrorReport reporter(argv[0], std::cerr);
    report = &reporter;
    KestrelArgParse args;
    args.defineGlobalMacro = services.defineGlobalMacro;
    args.setTemplatesFile = services.setTemplatesFile;
    args.helpRequested = [] {
        printHelp(stderr);
        throw RunEnds{0};
    };
    args.studioDir = QTx::rootDirectory();
    args.packagesDir = QStringLiteral("$(StudioUserDir)/packages");
    args.parse(argc - 1, argv + 1);
    // The parser has reported each problem already, all of them before anything is loaded.
    if (reporter.errorCount != 0)
        return kFailed;
    checkOptions(args);
    return buildReportingErrors(args, services);
}

} // namespace

int kestrelMain(int argc, char **argv, const DriverServices &services)
{
    // Nothing is set up for the plain usage text, so that it shows at once.
    if (argc <= 1) {
        printHelp(stderr);
        return 0;
    }
    QTx::setApplicationPath(argv[0], 1);
    services.openEnvironment();
    int status = kFailed;
    try {
        status = parseCheckAndBuild(argc, argv, services);
    } catch (const RunEnds &end) {
        status = end.status;
    }
    services.closeEnvironment();
    report = nullptr;
    std::fflush(stdout);
    return status;
}
