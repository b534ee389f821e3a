#include "support/ModuleInfo.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "winapi/NGWinApi.h"

std::wstring GetExecutableFolder()
{
    wchar_t path[MAX_PATH] = {};
    DWORD length = NGWinApi::Kernel().GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length < MAX_PATH ? length : MAX_PATH - 1);
    size_t slash = folder.find_last_of(L'\\');
    folder.resize(slash == std::wstring::npos ? 0 : slash);
    return folder;
}

std::wstring GetModuleVersionString()
{
    unsigned long parts[4] = {};
    wchar_t path[MAX_PATH] = {};
    NGWinApi::Kernel().GetModuleFileNameW(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeW(path, &ignored);
    if (size != 0) {
        std::vector<BYTE> block(size);
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT fixedSize = 0;
        if (::GetFileVersionInfoW(path, 0, size, block.data()) &&
            ::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) &&
            fixed != nullptr && fixedSize >= sizeof(VS_FIXEDFILEINFO)) {
            parts[0] = HIWORD(fixed->dwFileVersionMS);
            parts[1] = LOWORD(fixed->dwFileVersionMS);
            parts[2] = HIWORD(fixed->dwFileVersionLS);
            parts[3] = LOWORD(fixed->dwFileVersionLS);
        }
    }
    wchar_t text[64];
    std::swprintf(text, 64, L"%lu.%lu.%lu.%lu", parts[0], parts[1], parts[2], parts[3]);
    return text;
}
