#pragma once
// The outputs of kelotsy scan for many printers' snapshots: a plain table, JSON, CSV (a header and
// one row per printer and cartridge) and the Prometheus text exposition format. UTF-8 text.
// Plain C++ without system headers.
#include <string>
#include <vector>

#include "console/PrinterSnapshot.h"

enum class ScanFormat { Text, Json, Csv, Prometheus };

std::string FormatScan(const std::vector<PrinterSnapshot>& printers, ScanFormat format);
