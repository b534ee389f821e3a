#pragma once
// How one log line looks on disk; kept free of system headers.
#include <string>

struct LogTimestamp {
    int month, day, year, hour, minute, second, milliseconds;
};

// "( month-day-year hour:minute:second:ms ):" with plain unpadded numbers.
std::string FormatLogPrefix(const LogTimestamp& time);

// Converts a message with the C library's conversion of the current locale, one
// character at a time; a character it cannot represent becomes '?'.
std::string NarrowForLog(const std::wstring& text);
