// A fatal error outside solution loading: caught once, in main, and printed as "error: <message>".
#pragma once

#include <QString>

struct HException
{
    QString message;
};
