#pragma once
// Wide text in the system ANSI code page, for the ANSI WinINet calls.
#include <string>

#include "winapi/NGWinApi.h"

inline std::string ToAnsi(const std::wstring& text)
{
    const int size = NGWinApi::Kernel().WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                                            nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        NGWinApi::Kernel().WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), narrow.data(),
                                               size, nullptr, nullptr);
    return narrow;
}
