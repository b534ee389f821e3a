#pragma once
// Host-side lookups of installed software: special folders, folder listing, ini values,
// version resources and the user's language, behind a replaceable global instance.
#include <windows.h>

namespace NGWinApi {

class CHostFilesApi {
public:
    virtual BOOL SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int folder, BOOL create);
    virtual HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data);
    virtual BOOL FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data);
    virtual BOOL FindClose(HANDLE find);
    virtual DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultText, LPWSTR buffer,
                                           DWORD size, LPCWSTR file);
    virtual DWORD GetFileVersionInfoSizeW(LPCWSTR file, LPDWORD handle);
    virtual BOOL GetFileVersionInfoW(LPCWSTR file, DWORD handle, DWORD size, LPVOID data);
    virtual BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT length);
    virtual LANGID GetUserDefaultLangID();
    virtual ~CHostFilesApi() = default;
};

CHostFilesApi& HostFiles();
// Null puts the real instance back; returns the one that was in use.
CHostFilesApi* Replace(CHostFilesApi* api);

} // namespace NGWinApi
