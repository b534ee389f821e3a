#pragma once
// Kinds of simulated error (the error simulation menu): a device status, or a feeder error.
#include <cstdint>

inline constexpr int32_t kSimulatedStatusError = 1;
inline constexpr int32_t kSimulatedFeederError = 2;
