#pragma once
// Print spooler and registry calls of the print queue lookups, replaceable in tests.
#include <windows.h>
#include <winspool.h>

#include "winapi/NGWinApi.h"

namespace NGWinApi {

class CSpoolerApi {
public:
    virtual BOOL OpenPrinterW(LPWSTR name, LPHANDLE printer, LPPRINTER_DEFAULTSW defaults);
    virtual BOOL GetPrinterW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed);
    virtual BOOL SetPrinterW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD command);
    virtual BOOL GetPrinterDriverW(HANDLE printer, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                                   LPDWORD needed);
    virtual BOOL ClosePrinter(HANDLE printer);
    virtual ~CSpoolerApi() = default;
};

class CRegistryApi {
public:
    virtual LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result);
    virtual LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameSize, LPDWORD reserved,
                                  LPWSTR className, LPDWORD classSize, PFILETIME lastWrite);
    virtual LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                     LPDWORD dataSize);
    virtual LSTATUS RegCloseKey(HKEY key);
    virtual ~CRegistryApi() = default;
};

CSpoolerApi& Spooler();
CRegistryApi& Registry();
CSpoolerApi* Replace(CSpoolerApi* api);
CRegistryApi* Replace(CRegistryApi* api);

// An open print queue, closed through Spooler().
class UniquePrinter {
public:
    UniquePrinter() = default;
    ~UniquePrinter() { if (printer_ != nullptr) Spooler().ClosePrinter(printer_); }
    UniquePrinter(const UniquePrinter&) = delete;
    UniquePrinter& operator=(const UniquePrinter&) = delete;
    HANDLE get() const { return printer_; }
    HANDLE* put() { return &printer_; }

private:
    HANDLE printer_ = nullptr;
};

// An open registry key, closed through Registry().
class UniqueKey {
public:
    UniqueKey() = default;
    ~UniqueKey() { if (key_ != nullptr) Registry().RegCloseKey(key_); }
    UniqueKey(const UniqueKey&) = delete;
    UniqueKey& operator=(const UniqueKey&) = delete;
    HKEY get() const { return key_; }
    HKEY* put() { return &key_; }

private:
    HKEY key_ = nullptr;
};

} // namespace NGWinApi
