#pragma once
// Scenario files: printers and their faults (format in sim/README.md).
#include <string>
#include <string_view>
#include <vector>

#include "sim/PrinterConfig.h"

namespace sim {

struct Scenario {
    std::vector<PrinterConfig> printers;
};

// Parses a whole scenario. On failure returns false with "line N: reason" in `error`.
// Names must be unique, network addresses must be loopback (127.0.0.0/8) and unique.
bool ParseScenario(std::string_view text, Scenario& out, std::string& error);

// Whether a dotted IPv4 text lies in 127.0.0.0/8.
bool IsLoopbackAddress(const std::string& address);

} // namespace sim
