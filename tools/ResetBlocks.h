#pragma once
// The byte blocks a printer reset sends: plain bytes, no terminating zero.
#include <cstddef>
#include <string>

inline constexpr size_t kResetExitBlockBytes = 611;
inline constexpr size_t kResetCommandBlockBytes = 42;

// 600 zero bytes, the printer-language reset, then the universal exit back to the job-language
// parser.
std::string ResetExitBlock();
// The job-language entry, the command that sets the non-volatile reset bits, and the closing command.
std::string ResetCommandBlock();
