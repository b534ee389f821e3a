#pragma once
// One pass over the diagnostic core component: USB printers with a print queue, then the
// installed network printers.
#include "discovery/Device_Dev.h"

// Appends the printers found. False when the component cannot be created or the installed
// printers cannot be read; the USB printers read before such a failure stay in the list.
bool EnumeratePrinters(DeviceList& devices);
