#pragma once
// IPv4 networks for the network search: which hosts a search may probe. Plain C++ without
// system headers (also built natively for the sanitizer runs).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace diagcore {

// An address in host byte order (127.0.0.1 is 0x7F000001).
using Ipv4 = uint32_t;

// Dotted decimal with exactly four parts of 0-255, no blanks, no leading "+" or "-".
std::optional<Ipv4> ParseIpv4(std::string_view text);
std::optional<Ipv4> ParseIpv4(std::wstring_view text);
std::string FormatIpv4(Ipv4 address);

struct Ipv4Network {
    Ipv4 base = 0;     // the network address (host bits clear)
    int prefixLength = 0;

    // The network holding `address` (host bits are cleared); prefix 0-32.
    static std::optional<Ipv4Network> Of(Ipv4 address, int prefixLength);
    Ipv4 Mask() const;
    Ipv4 Last() const { return base | ~Mask(); }
    bool Contains(Ipv4 address) const { return (address & Mask()) == base; }
    uint64_t Size() const { return uint64_t{1} << (32 - prefixLength); }
    std::string Format() const; // "192.0.2.0/24"

    friend bool operator==(const Ipv4Network&, const Ipv4Network&) = default;
};

// "a.b.c.d/n" or a single "a.b.c.d" (taken as /32).
std::optional<Ipv4Network> ParseNetwork(std::string_view text);
// Networks separated by commas, semicolons or blanks. Any bad entry makes the whole list
// invalid (a typo must not widen the search); an empty text is an empty list.
std::optional<std::vector<Ipv4Network>> ParseNetworkList(std::string_view text);
std::string FormatNetworkList(const std::vector<Ipv4Network>& networks);

// The largest number of hosts one search probes.
inline constexpr size_t kMaxSearchHosts = 4096;

// The hosts a search of `requested` probes, in ascending order: every address of the
// network except its network and broadcast addresses (for prefixes up to 30), and, when
// `allowed` is given, only addresses inside one of the allowed networks. No value when
// more than kMaxSearchHosts would remain.
std::optional<std::vector<Ipv4>> SearchHosts(const Ipv4Network& requested,
                                             const std::optional<std::vector<Ipv4Network>>& allowed);

// The network an adapter's search covers: the adapter's own subnet, or, for subnets
// wider than /22, the /24 around the adapter's address so a search stays within bounds.
Ipv4Network AdapterSearchNetwork(Ipv4 adapterAddress, int prefixLength);

// The printer address a spooler port name carries: "IP_192.0.2.7" (also with a "_n"
// suffix the port wizard adds for a second port to the same host) or a bare address.
std::optional<Ipv4> AddressFromPortName(std::wstring_view portName);

} // namespace diagcore
