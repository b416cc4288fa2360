// The command-line error reporter: every diagnostic of the option parser and of the driver's
// checks is one line "<program>: error: <message>" on its stream.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

class ErrorReport
{
public:
    ErrorReport(const char *programName, std::ostream &stream);

    // Counts the error and writes the line's prefix; the caller writes the message and a line
    // end to the returned stream.
    std::ostream &error();

    std::string programName;
    std::ostream *stream;
    std::int32_t errorCount = 0;
    std::int32_t warningCount = 0; // kept for hosts that report warnings; the tool has none
    bool flag = false;
};

// Created by the driver before the option parser, which takes it at construction.
extern ErrorReport *report;
