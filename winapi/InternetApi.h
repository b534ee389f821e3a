#pragma once
// WinINet calls of the link check and download, behind a replaceable global instance.
#include <windows.h>
#include <wininet.h>

namespace NGWinApi {

class CInternetApi {
public:
    virtual HINTERNET InternetOpenW(LPCWSTR agent, DWORD accessType, LPCWSTR proxy, LPCWSTR proxyBypass,
                                    DWORD flags);
    virtual HINTERNET InternetConnectW(HINTERNET session, LPCWSTR serverName, INTERNET_PORT port,
                                       LPCWSTR userName, LPCWSTR password, DWORD service, DWORD flags,
                                       DWORD_PTR context);
    virtual HINTERNET HttpOpenRequestW(HINTERNET connection, LPCWSTR verb, LPCWSTR objectName,
                                       LPCWSTR version, LPCWSTR referrer, LPCWSTR* acceptTypes, DWORD flags,
                                       DWORD_PTR context);
    virtual BOOL HttpSendRequestW(HINTERNET request, LPCWSTR headers, DWORD headersLength, LPVOID optional,
                                  DWORD optionalLength);
    virtual BOOL HttpQueryInfoW(HINTERNET request, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength,
                                LPDWORD index);
    virtual BOOL InternetSetOptionW(HINTERNET handle, DWORD option, LPVOID buffer, DWORD bufferLength);
    virtual BOOL InternetCrackUrlW(LPCWSTR url, DWORD urlLength, DWORD flags, LPURL_COMPONENTSW components);
    virtual BOOL InternetReadFile(HINTERNET file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead);
    virtual BOOL InternetCloseHandle(HINTERNET handle);
    // ANSI entry points of the Sable HTTP client.
    virtual HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass, DWORD flags);
    virtual HINTERNET InternetConnectA(HINTERNET session, LPCSTR serverName, INTERNET_PORT port, LPCSTR userName,
                                       LPCSTR password, DWORD service, DWORD flags, DWORD_PTR context);
    virtual HINTERNET InternetOpenUrlA(HINTERNET session, LPCSTR url, LPCSTR headers, DWORD headersLength,
                                       DWORD flags, DWORD_PTR context);
    virtual HINTERNET HttpOpenRequestA(HINTERNET connection, LPCSTR verb, LPCSTR objectName, LPCSTR version,
                                       LPCSTR referrer, LPCSTR* acceptTypes, DWORD flags, DWORD_PTR context);
    virtual BOOL HttpSendRequestA(HINTERNET request, LPCSTR headers, DWORD headersLength, LPVOID optional,
                                  DWORD optionalLength);
    virtual ~CInternetApi() = default;
};

// The instance in use; Replace() swaps one in (null restores the real one) and returns the previous.
CInternetApi& Internet();
CInternetApi* Replace(CInternetApi* api);

} // namespace NGWinApi
