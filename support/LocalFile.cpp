#include "support/LocalFile.h"

#include <windows.h>

std::wstring LocalFileProblem(const std::wstring& path, int64_t maxBytes)
{
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes))
        return L"missing";
    if ((attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return L"a folder, not a file";
    const int64_t size = (static_cast<int64_t>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
    if (size == 0)
        return L"empty";
    if (size > maxBytes)
        return L"too large (" + std::to_wstring(size) + L" bytes, at most " + std::to_wstring(maxBytes) + L")";
    return {};
}
