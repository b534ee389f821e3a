#pragma once
// What a network search may cover. The host's adapter gives the network to search; the
// file config\search.ini beside the running program can restrict the search:
//
//   [Search]
//   Ranges=127.0.0.0/24, 127.0.1.0/28   ; only these addresses are ever probed
//   ProbeTimeoutMs=500                   ; the wait for each probe's answer
//
// With Ranges present, nothing outside them is probed, and NetworkInfo reports the first
// range as the network to search. A Ranges value that does not parse restricts the search
// to nothing at all, so a typo can never widen it.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "components/diagcore/Ipv4Ranges.h"

namespace diagcore {

// One hop away an agent answers in milliseconds, a busy printer's in a few hundred; a request
// is repeated after half of it (NetworkSearch.h), so one lost datagram costs no printer.
inline constexpr DWORD kDefaultProbeTimeoutMs = 500;
inline constexpr DWORD kMinProbeTimeoutMs = 50;
inline constexpr DWORD kMaxProbeTimeoutMs = 10000;

struct SearchConfig {
    std::wstring path;
    std::optional<std::vector<Ipv4Network>> allowed; // no value: unrestricted
    DWORD probeTimeoutMs = kDefaultProbeTimeoutMs;
};

// Read anew for every question, like the tool's other configuration files.
SearchConfig ReadSearchConfig();

// The adapter a search covers, as NetworkInfo reports it.
struct AdapterSettings {
    bool connected = false;
    std::wstring name;
    std::wstring description;
    std::wstring ipAddress;
    std::wstring subnetMask;
    std::wstring gateway;
    std::wstring macAddress;
    long index = 0;
    long count = 0; // adapters that could be searched
    Ipv4Network searchNetwork;
};

// The configured range when the configuration restricts the search, otherwise the first
// connected IPv4 adapter (one with a gateway preferred) that is not loopback or a tunnel.
AdapterSettings ReadAdapterSettings(const SearchConfig& config);

} // namespace diagcore
