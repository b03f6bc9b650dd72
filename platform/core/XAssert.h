#pragma once

#include "XExceptions.h"
#include <QString>

// The text of a failed assertion: the message, then the source file and line
// in parentheses: "Msg (/path/Unit.cpp, line 12)".
QString XAssertMessage(const QString& Msg, const char* File, int Line);

// A failed assertion where no exception can be raised (process end, a
// destructor): the text goes to standard error and the process ends with
// status 1, without running exit handlers.
[[noreturn]] void XAssertFatal(const QString& Msg, const char* File, int Line);
