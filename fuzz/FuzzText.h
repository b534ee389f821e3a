#pragma once
// Wide text from fuzz bytes as Windows sees it: two bytes per UTF-16 unit, so a Linux
// wchar_t never holds a value a Windows build could not.
#include <cstddef>
#include <cstdint>
#include <string>

inline std::wstring Utf16FromBytes(const uint8_t* data, size_t size)
{
    std::wstring text;
    text.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2)
        text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    return text;
}

inline std::wstring Utf16FromBytes(const std::string& bytes)
{
    return Utf16FromBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}
