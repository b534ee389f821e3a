#pragma once
// What the host's print system knows about a printer: driver version and queue state.
#include <windows.h>

#include <string>
#include <vector>

// Selectors of the queue state operations.
constexpr DWORD kQueueStateWorkOffline = 128; // QueryPrinterState: is the queue working offline
constexpr DWORD kQueueStateBringOnline = 1;   // ChangePrinterState: clear working offline

// The driver version from the printer device class keys, found by `deviceName` in "DriverDesc".
bool GetDriverVersionFromClass(const std::wstring& deviceName, std::wstring& version);

// The driver version from the spooler's driver keys of this system's environment.
bool GetDriverVersionFromSpooler(const std::wstring& deviceName, std::wstring& version);

bool QueryPrinterState(const std::wstring& queueName, DWORD selector);
bool ChangePrinterState(const std::wstring& queueName, DWORD selector);

// Subkey names of a key below HKEY_LOCAL_MACHINE-like roots, in the registry's order.
std::vector<std::wstring> RegistrySubkeyNames(HKEY root, const std::wstring& path);
// One text value; empty when the key or value is missing or not text.
std::wstring RegistryText(HKEY root, const std::wstring& path, const wchar_t* valueName);
