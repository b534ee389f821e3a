#pragma once
// One pass over the diagnostic core component: USB printers with a print queue, then the
// installed network printers.
#include <windows.h>

#include "discovery/Device_Dev.h"

// Creation context of the component's objects: any server, as the component may live in or
// out of process.
inline constexpr DWORD kAnyServerContext = 0x17;

// Appends the printers found. False when the component cannot be created or the installed
// printers cannot be read; the USB printers read before such a failure stay in the list.
bool EnumeratePrinters(DeviceList& devices);
