#pragma once
// Where fetched Sable documents land, and how large anything read from a device may grow.
#include <cstdint>
#include <string>

#include "support/ModuleInfo.h"

inline constexpr size_t kMaxHeadBytes = 64 * 1024;
// Larger files are not handed to the XML parser.
inline constexpr int64_t kMaxParsedBytes = 2 * 1024 * 1024;

// "<application folder>\<fileName>"; a name starting with a backslash is appended as it is.
inline std::wstring ApplicationFilePath(const std::wstring& fileName)
{
    return GetExecutableFolder() + L"\\" + fileName;
}
