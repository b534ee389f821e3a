#pragma once
// kelotsy: the diagnosis engine without windows, for help-desk scripts.
#include <string>

#include "console/KelotsyArguments.h"

// Exit codes.
inline constexpr int kKelotsyPassed = 0;
inline constexpr int kKelotsyFailed = 1;
inline constexpr int kKelotsyUsageError = 2;

// Where the front end writes: UTF-8 text for standard output, one line for standard error.
class KelotsyOutput {
public:
    virtual ~KelotsyOutput() = default;
    virtual void Out(const std::string& utf8) = 0;
    virtual void Error(const std::wstring& line) = 0;
    // A percentage of a long task; shown in place on a console, nowhere else. Negative: done.
    virtual void Progress(int percent) { (void)percent; }
};

// Runs one parsed command; the exit code.
int RunKelotsy(const KelotsyCommand& command, KelotsyOutput& output);
