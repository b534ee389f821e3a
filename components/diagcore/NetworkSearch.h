#pragma once
// The network search: probes every host of a plan in parallel and lists the printers that
// answered.
//
// Each host gets two UDP sockets for SNMP v1 GETs and a TCP connection to port 8080 for the
// product configuration document. The description (hrDeviceDescr.1) is asked first, from a
// socket connected to the host, so an ICMP port-unreachable ends the probe of a host
// without an agent at once; the identification object follows as soon as an agent has
// answered (or after T), from an unconnected socket. Replies are matched to their request by
// request id, never by source address: under Wine a peer's UDP replies may come from
// 127.0.0.1 whatever address it was asked at. Such a peer's description never reaches the
// connected socket, but its identification still reaches the unconnected one after T, which
// is enough to list it. A refused connection ends the HTTP probe.
//
// Bounds, with T the probe time-out (default 1 s, configurable): unanswered SNMP requests
// are sent once more after T, and the SNMP probe ends at most T after its last send (about
// 3T in all); a connection not made after T is given up; an HTTP answer must be complete 3T
// after the host's probe started; responses above 256 KiB are dropped. At most 256 hosts
// are probed at once, started at 2000 a second after the first 64, so a /24 ends after
// about 3T however many hosts are silent, and far sooner where hosts answer or refuse.
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

#include "components/diagcore/DeviceRecord.h"
#include "components/diagcore/Ipv4Ranges.h"

namespace diagcore {

// IDeviceEnumerator::ProbeMethods bits.
inline constexpr long kProbeSnmp = 0x01;
inline constexpr long kProbeSable = 0x10;
inline constexpr long kProbeAll = kProbeSnmp | kProbeSable;

struct SearchPlan {
    std::vector<Ipv4> hosts;
    // Checked again before each host is probed.
    std::optional<std::vector<Ipv4Network>> allowed;
    long probeMethods = kProbeAll;
    unsigned long probeTimeoutMs = 1000;
};

// Runs the plan to its end or until `cancel` is set; `progress` hears 0-100 (only rising
// values, 100 last unless cancelled). Returns the printers found, in address order.
std::vector<DeviceRecord> RunNetworkSearch(const SearchPlan& plan, const std::function<void(long)>& progress,
                                           const std::atomic<bool>& cancel);

} // namespace diagcore
