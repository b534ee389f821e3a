#pragma once
// kelotsy check as a monitoring plugin: the status line, its performance data and the state
// (exit code) for one printer's snapshot. Plain C++ without system headers.
#include <cstdint>
#include <string>

#include "console/PrinterSnapshot.h"

// Monitoring-plugin states, which are also the exit codes of check.
enum class CheckState : int { Ok = 0, Warning = 1, Critical = 2, Unknown = 3 };

inline constexpr int32_t kDefaultInkWarning = 20;
inline constexpr int32_t kDefaultInkCritical = 10;

struct CheckThresholds {
    int32_t warning = kDefaultInkWarning;   // an ink level below it warns
    int32_t critical = kDefaultInkCritical; // below it is critical
};

struct CheckOutcome {
    CheckState state = CheckState::Unknown;
    std::wstring line; // "KELO OK - model: ready; ink lowest cyan 41%|'ink_cyan'=41%;20;10;0;100 ..."
};

// "OK", "WARNING", "CRITICAL", "UNKNOWN".
const wchar_t* CheckStateName(CheckState state);

CheckOutcome EvaluateCheck(const PrinterSnapshot& snapshot, const CheckThresholds& thresholds);

// A line for a check that could not look at a printer at all (usage, set-up).
CheckOutcome UnknownCheck(const std::wstring& why);
