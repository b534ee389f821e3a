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

namespace {

// The fixed version block of the running executable; false when it has none.
bool ReadFixedVersion(VS_FIXEDFILEINFO& info)
{
    // The running module itself, even where tests move the program's folder elsewhere.
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0)
        return false;
    std::vector<BYTE> block(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!::GetFileVersionInfoW(path, 0, size, block.data()) ||
        !::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) || fixed == nullptr ||
        fixedSize < sizeof(VS_FIXEDFILEINFO))
        return false;
    info = *fixed;
    return true;
}

std::wstring VersionText(DWORD most, DWORD least)
{
    wchar_t text[64];
    std::swprintf(text, 64, L"%u.%u.%u.%u", HIWORD(most), LOWORD(most), HIWORD(least), LOWORD(least));
    return text;
}

} // namespace

std::wstring GetModuleVersionString()
{
    VS_FIXEDFILEINFO info{};
    return ReadFixedVersion(info) ? VersionText(info.dwFileVersionMS, info.dwFileVersionLS) : L"0.0.0.0";
}

std::wstring GetModuleProductVersionString()
{
    VS_FIXEDFILEINFO info{};
    return ReadFixedVersion(info) ? VersionText(info.dwProductVersionMS, info.dwProductVersionLS) : std::wstring();
}
