#include "driver/error_report.h"

ErrorReport *report = nullptr;

ErrorReport::ErrorReport(const char *programName_, std::ostream &stream_)
    : programName(programName_ ? programName_ : ""), stream(&stream_)
{
}

std::ostream &ErrorReport::error()
{
    ++errorCount;
    *stream << programName << ": error: ";
    return *stream;
}
