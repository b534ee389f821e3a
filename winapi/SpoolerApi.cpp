#include "winapi/SpoolerApi.h"

#include "winapi/ApiSlot.h"

namespace NGWinApi {

BOOL CSpoolerApi::OpenPrinterW(LPWSTR name, LPHANDLE printer, LPPRINTER_DEFAULTSW defaults)
{
    return ::OpenPrinterW(name, printer, defaults);
}

BOOL CSpoolerApi::GetPrinterW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed)
{
    return ::GetPrinterW(printer, level, buffer, size, needed);
}

BOOL CSpoolerApi::SetPrinterW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD command)
{
    return ::SetPrinterW(printer, level, buffer, command);
}

BOOL CSpoolerApi::GetPrinterDriverW(HANDLE printer, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                                    LPDWORD needed)
{
    return ::GetPrinterDriverW(printer, environment, level, buffer, size, needed);
}

BOOL CSpoolerApi::ClosePrinter(HANDLE printer) { return ::ClosePrinter(printer); }

LSTATUS CRegistryApi::RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result)
{
    return ::RegOpenKeyExW(key, subKey, options, access, result);
}

LSTATUS CRegistryApi::RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameSize, LPDWORD reserved,
                                    LPWSTR className, LPDWORD classSize, PFILETIME lastWrite)
{
    return ::RegEnumKeyExW(key, index, name, nameSize, reserved, className, classSize, lastWrite);
}

LSTATUS CRegistryApi::RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                       LPDWORD dataSize)
{
    return ::RegQueryValueExW(key, valueName, reserved, type, data, dataSize);
}

LSTATUS CRegistryApi::RegCloseKey(HKEY key) { return ::RegCloseKey(key); }

namespace {
ApiSlot<CSpoolerApi> g_spooler;
ApiSlot<CRegistryApi> g_registry;
} // namespace

CSpoolerApi& Spooler() { return g_spooler.Get(); }
CRegistryApi& Registry() { return g_registry.Get(); }
CSpoolerApi* Replace(CSpoolerApi* api) { return g_spooler.Replace(api); }
CRegistryApi* Replace(CRegistryApi* api) { return g_registry.Replace(api); }

} // namespace NGWinApi
