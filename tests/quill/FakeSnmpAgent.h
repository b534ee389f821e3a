#pragma once
// A scripted SNMP agent on a loopback UDP socket for the stack's tests: each request datagram
// goes to the script, and whatever datagrams it returns are sent back to the requester.
#include <winsock2.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "quill/SnmpCodec.h"

using Datagram = std::vector<uint8_t>;

class FakeSnmpAgent {
public:
    using Script = std::function<std::vector<Datagram>(const SnmpMessage& request)>;

    explicit FakeSnmpAgent(Script script);
    ~FakeSnmpAgent();
    FakeSnmpAgent(const FakeSnmpAgent&) = delete;
    FakeSnmpAgent& operator=(const FakeSnmpAgent&) = delete;

    USHORT Port() const { return port_; }
    std::vector<SnmpMessage> Requests() const;
    int RequestCount() const;

    // The usual answer: the request's varbinds with `value`, or an error status.
    static Datagram Reply(const SnmpMessage& request, const SnmpValue& value, int32_t errorStatus = 0);

private:
    void Serve();

    Script script_;
    SOCKET socket_ = INVALID_SOCKET;
    USHORT port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<SnmpMessage> requests_;
    std::thread thread_;
};
