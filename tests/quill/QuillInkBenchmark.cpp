// Ink read over SNMP against a live simulated Quill printer and against a loopback address where
// nothing answers: the time each takes and the datagrams sent. The dead case must stay under 5 s.
#include <chrono>
#include <cstdio>

#include "QuillTestSupport.h"
#include "quill/SNMPNWManager.h"

namespace {

struct Figures {
    double seconds;
    uint64_t datagrams;
    size_t inks;
};

Figures ReadInks(const wchar_t* address)
{
    const Device_Dev printer = NetworkPrinter(address);
    CSNMPNWManager manager;
    const uint64_t before = SnmpStack::DatagramsSent();
    const auto start = std::chrono::steady_clock::now();
    manager.GetInkLevelInfo(printer);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return {elapsed.count(), SnmpStack::DatagramsSent() - before, manager.Records().inkList.size()};
}

} // namespace

int main()
{
    ProductStrings strings;
    const SnmpStack::RetransmitPolicy policy = SnmpStack::GetRetransmitPolicy();
    std::printf("retransmission: %lu ms time-out, %d retries\n", static_cast<unsigned long>(policy.timeoutMs),
                policy.retries);
    const Figures live = ReadInks(L"127.0.7.10");
    std::printf("live printer 127.0.7.10: %.3f s, %llu datagrams, %zu inks\n", live.seconds,
                static_cast<unsigned long long>(live.datagrams), live.inks);
    const Figures dead = ReadInks(L"127.0.7.99");
    std::printf("nothing answers at 127.0.7.99: %.3f s, %llu datagrams, %zu inks\n", dead.seconds,
                static_cast<unsigned long long>(dead.datagrams), dead.inks);
    const bool ok = live.inks > 0 && dead.inks == 0 && dead.seconds < 5.0;
    std::printf("%s\n", ok ? "ok" : "FAILED: the dead printer took 5 s or more, or the live one gave no inks");
    return ok ? 0 : 1;
}
