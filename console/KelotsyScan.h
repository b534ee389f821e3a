#pragma once
// kelotsy scan: many printers at once, each read by a worker process of its own (kelotsy
// snapshot), at most --jobs at a time. A process per printer because the SNMP stack carries one
// request at a time for a whole process, and so one silent printer holds up no other.
#include "app/engine/DiagnosticMgr.h"
#include "console/Kelotsy.h"

int RunScan(CDiagnosticMgr& manager, const KelotsyCommand& command, KelotsyOutput& output);
