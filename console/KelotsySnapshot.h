#pragma once
// One printer through the diagnosis engine for check and scan: found in the list or, for an
// IPv4 address no queue names, identified with the network search's probes; then its ink
// levels, device status and identity read into a snapshot.
#include <windows.h>

#include <string>

#include "app/engine/DiagnosticMgr.h"
#include "console/PrinterSnapshot.h"

std::wstring PrinterDisplayName(const Device_Dev& device);

// Serves this thread's messages (the component reports through them) until `done` is set or
// `boundMs` has passed; false when the time ran out.
bool PumpMessagesUntil(const bool& done, ULONGLONG boundMs);

enum class PrinterLookup { Selected, Unknown, NotAnswering };

// Selects `printer`: a list index, an address of the list, or an IPv4 address that the search's
// probes identify as a printer of ours (then added to the list). An address that answers no
// probe is NotAnswering; any other text that names nothing is Unknown.
PrinterLookup SelectPrinter(CDiagnosticMgr& manager, const std::wstring& printer);

// Selects `printer`, checks that the catalogue supports it and reads it. Stops at the first
// read the printer does not answer, so a dead printer costs one operation's bound.
PrinterSnapshot TakeSnapshot(CDiagnosticMgr& manager, const std::wstring& printer);
