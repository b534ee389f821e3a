#include "winapi/InternetApi.h"

#include "winapi/ApiSlot.h"

namespace NGWinApi {

HINTERNET CInternetApi::InternetOpenW(LPCWSTR agent, DWORD accessType, LPCWSTR proxy, LPCWSTR proxyBypass,
                                      DWORD flags)
{
    return ::InternetOpenW(agent, accessType, proxy, proxyBypass, flags);
}

HINTERNET CInternetApi::InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass, DWORD flags)
{
    return ::InternetOpenA(agent, accessType, proxy, proxyBypass, flags);
}

HINTERNET CInternetApi::InternetConnectA(HINTERNET session, LPCSTR serverName, INTERNET_PORT port, LPCSTR userName,
                                         LPCSTR password, DWORD service, DWORD flags, DWORD_PTR context)
{
    return ::InternetConnectA(session, serverName, port, userName, password, service, flags, context);
}

HINTERNET CInternetApi::InternetOpenUrlA(HINTERNET session, LPCSTR url, LPCSTR headers, DWORD headersLength,
                                         DWORD flags, DWORD_PTR context)
{
    return ::InternetOpenUrlA(session, url, headers, headersLength, flags, context);
}

HINTERNET CInternetApi::HttpOpenRequestA(HINTERNET connection, LPCSTR verb, LPCSTR objectName, LPCSTR version,
                                         LPCSTR referrer, LPCSTR* acceptTypes, DWORD flags, DWORD_PTR context)
{
    return ::HttpOpenRequestA(connection, verb, objectName, version, referrer, acceptTypes, flags, context);
}

BOOL CInternetApi::HttpSendRequestA(HINTERNET request, LPCSTR headers, DWORD headersLength, LPVOID optional,
                                    DWORD optionalLength)
{
    return ::HttpSendRequestA(request, headers, headersLength, optional, optionalLength);
}

HINTERNET CInternetApi::InternetConnectW(HINTERNET session, LPCWSTR serverName, INTERNET_PORT port,
                                         LPCWSTR userName, LPCWSTR password, DWORD service, DWORD flags,
                                         DWORD_PTR context)
{
    return ::InternetConnectW(session, serverName, port, userName, password, service, flags, context);
}

HINTERNET CInternetApi::HttpOpenRequestW(HINTERNET connection, LPCWSTR verb, LPCWSTR objectName,
                                         LPCWSTR version, LPCWSTR referrer, LPCWSTR* acceptTypes, DWORD flags,
                                         DWORD_PTR context)
{
    return ::HttpOpenRequestW(connection, verb, objectName, version, referrer, acceptTypes, flags, context);
}

BOOL CInternetApi::HttpSendRequestW(HINTERNET request, LPCWSTR headers, DWORD headersLength, LPVOID optional,
                                    DWORD optionalLength)
{
    return ::HttpSendRequestW(request, headers, headersLength, optional, optionalLength);
}

BOOL CInternetApi::HttpQueryInfoW(HINTERNET request, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength,
                                  LPDWORD index)
{
    return ::HttpQueryInfoW(request, infoLevel, buffer, bufferLength, index);
}

BOOL CInternetApi::InternetSetOptionW(HINTERNET handle, DWORD option, LPVOID buffer, DWORD bufferLength)
{
    return ::InternetSetOptionW(handle, option, buffer, bufferLength);
}

BOOL CInternetApi::InternetCrackUrlW(LPCWSTR url, DWORD urlLength, DWORD flags, LPURL_COMPONENTSW components)
{
    return ::InternetCrackUrlW(url, urlLength, flags, components);
}

BOOL CInternetApi::InternetReadFile(HINTERNET file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead)
{
    return ::InternetReadFile(file, buffer, bytesToRead, bytesRead);
}

BOOL CInternetApi::InternetCloseHandle(HINTERNET handle) { return ::InternetCloseHandle(handle); }

namespace {
ApiSlot<CInternetApi> g_internet;
} // namespace

CInternetApi& Internet() { return g_internet.Get(); }
CInternetApi* Replace(CInternetApi* api) { return g_internet.Replace(api); }

} // namespace NGWinApi
