#pragma once
// Small helpers shared by the link tests.
#include <string>

#include "TestFolder.h"

// Links and test paths in these tests are ASCII.
inline std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

// Whether the log received exactly this message as a line of its own.
inline bool Logged(const LogTail& log, const std::string& message)
{
    return log.Appended().find("):" + message + "\r\n") != std::string::npos;
}
