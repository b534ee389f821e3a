#pragma once
// Scenario files: printers and their faults (format in sim/README.md).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/PrinterConfig.h"

namespace sim {

struct Scenario {
    std::vector<PrinterConfig> printers;
};

// A network besides loopback whose addresses a scenario may use: only ever given by the
// server once it has found itself inside a network namespace of its own. Mask 0: none.
struct NamespaceNetwork {
    uint32_t network = 0;
    uint32_t mask = 0;
};

// Parses a whole scenario. On failure returns false with "line N: reason" in `error`.
// Names must be unique, network addresses must be loopback (127.0.0.0/8) or in `extra`,
// and unique.
bool ParseScenario(std::string_view text, Scenario& out, std::string& error, NamespaceNetwork extra = {});

// Whether a dotted IPv4 text lies in 127.0.0.0/8.
bool IsLoopbackAddress(const std::string& address);
// "a.b.c.d/n" -> network and mask; false for anything else.
bool ParseIpv4Network(std::string_view text, NamespaceNetwork& out);

} // namespace sim
