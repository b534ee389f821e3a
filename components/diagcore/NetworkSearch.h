#pragma once
// The network search: probes every host of a plan in parallel and lists the printers that
// answered.
//
// SNMP: every request leaves from one UDP socket; a reply counts for the host whose request
// id it carries, and only when it comes from that host's address. One request asks for the
// description (hrDeviceDescr.1) and the maker's identification object together, so a
// printer answers in one round trip; objects an agent will not give that way are asked one
// per request. A raw ICMP socket hears the port-unreachables of hosts without an agent and
// ends their probes at once; without administrator rights (root under Wine) it hears
// nothing, and those hosts end by the time-outs like hosts that are not there.
//
// The product configuration document (TCP 8080) is asked at once of hosts whose agent
// answered or refused (a Sable printer may run without an agent), and of hosts still silent
// after T/2. A refused connection ends the HTTP probe.
//
// Bounds, with T the probe time-out (default 500 ms, configurable): unanswered SNMP requests
// are sent once more after T/2, and the SNMP probe ends T/2 after its last send (T for a
// silent host, 1.5T at most); a connection not made T after the host's probe began (and
// T/2 after it was started) is given up; an HTTP answer must be complete 3T after the
// host's probe started; responses above 256 KiB are dropped. At most 256 hosts are probed
// at once; hosts that have not answered yet are started at 2000 a second after the first
// 64, so a /24 of silent hosts ends about T after its last probe left (on an office
// network most addresses are silent: the waiting, not the sending, is the cost), and far
// sooner where hosts answer or refuse.
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
    unsigned long probeTimeoutMs = 500;
};

// Runs the plan to its end or until `cancel` is set; `progress` hears 0-100 (only rising
// values, 100 last unless cancelled). Returns the printers found, in address order.
std::vector<DeviceRecord> RunNetworkSearch(const SearchPlan& plan, const std::function<void(long)>& progress,
                                           const std::atomic<bool>& cancel);

} // namespace diagcore
