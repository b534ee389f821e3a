#include "winapi/HostFilesApi.h"

#include <shlobj.h>

#include "winapi/ApiSlot.h"

namespace NGWinApi {

BOOL CHostFilesApi::SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int folder, BOOL create)
{
    return ::SHGetSpecialFolderPathW(owner, path, folder, create);
}

HANDLE CHostFilesApi::FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data)
{
    return ::FindFirstFileW(pattern, data);
}

BOOL CHostFilesApi::FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data)
{
    return ::FindNextFileW(find, data);
}

BOOL CHostFilesApi::FindClose(HANDLE find)
{
    return ::FindClose(find);
}

DWORD CHostFilesApi::GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultText, LPWSTR buffer,
                                              DWORD size, LPCWSTR file)
{
    return ::GetPrivateProfileStringW(section, key, defaultText, buffer, size, file);
}

DWORD CHostFilesApi::GetFileVersionInfoSizeW(LPCWSTR file, LPDWORD handle)
{
    return ::GetFileVersionInfoSizeW(file, handle);
}

BOOL CHostFilesApi::GetFileVersionInfoW(LPCWSTR file, DWORD handle, DWORD size, LPVOID data)
{
    return ::GetFileVersionInfoW(file, handle, size, data);
}

BOOL CHostFilesApi::VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT length)
{
    return ::VerQueryValueW(block, subBlock, buffer, length);
}

LANGID CHostFilesApi::GetUserDefaultLangID()
{
    return ::GetUserDefaultLangID();
}

namespace {
ApiSlot<CHostFilesApi> g_hostFiles;
}

CHostFilesApi& HostFiles() { return g_hostFiles.Get(); }
CHostFilesApi* Replace(CHostFilesApi* api) { return g_hostFiles.Replace(api); }

} // namespace NGWinApi
