#pragma once
// The UDP side of a printer's SNMP agent. One thread per printer; a delayed answer waits in
// a queue rather than in the thread, so the agent keeps answering others meanwhile.
#include <cstdint>
#include <netinet/in.h>
#include <string>
#include <thread>
#include <vector>

#include "sim/SimDevice.h"
#include "sim/server/Net.h"

namespace sim::server {

// Datagrams longer than this are dropped unread (a UDP payload on IPv4 is at most 65507).
constexpr size_t kMaxSnmpDatagramBytes = 64 * 1024;

class SnmpListener {
public:
    SnmpListener(std::string label, SocketAddress where, SimDevice& device, const StopSignal& stop);
    ~SnmpListener();
    SnmpListener(const SnmpListener&) = delete;
    SnmpListener& operator=(const SnmpListener&) = delete;

    bool Open(std::string& error);
    void Start();
    const SocketAddress& Address() const { return where_; }

private:
    void Loop();
    void ReceiveOne(std::vector<uint8_t>& buffer);

    struct PendingReply {
        ServerClock::time_point due;
        sockaddr_in peer;
        std::vector<uint8_t> bytes;
    };
    void SendDue();

    std::string label_;
    SocketAddress where_;
    SimDevice& device_;
    const StopSignal& stop_;
    UniqueFd fd_;
    std::vector<PendingReply> pending_; // loop thread only
    std::thread thread_;
};

// "GET 1.3.6.1.2.1.25.3.2.1.3.1" for the log; a reason when the bytes do not decode.
std::string DescribeSnmpRequest(const uint8_t* data, size_t size);

} // namespace sim::server
