#pragma once
// One pass over the diagnostic core component: USB printers with a print queue, then the
// installed network printers.
#include <windows.h>

#include "KeloDiagnosticCore.h"
#include "discovery/Device_Dev.h"
#include "winapi/Handles.h"

// Creation context of the component's objects: any server, as the component may live in or
// out of process.
inline constexpr DWORD kAnyServerContext = 0x17;

// Appends the printers found. False when the component cannot be created or the installed
// printers cannot be read; the USB printers read before such a failure stay in the list.
bool EnumeratePrinters(DeviceList& devices);

// Reading the component's device objects, shared with the network search.
std::wstring DeviceText(HRESULT (STDMETHODCALLTYPE IPrinterDevice::*getter)(BSTR*), IPrinterDevice* device);
// Item `index` (from 1); nothing when the lookup fails, so a pass goes on without it.
NGWinApi::ComPtr<IPrinterDevice> DeviceAt(IDeviceCollection* collection, long index);
long DeviceCount(IDeviceCollection* collection);
