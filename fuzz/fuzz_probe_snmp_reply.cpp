#include <fuzzer/FuzzedDataProvider.h>

#include "components/diagcore/ProbeMessages.h"

// Datagrams of one exchange: each reply that decodes drives the exchange, with clock steps
// and a foreign sender now and then.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const diagcore::Ipv4 agent = 0x7F000001;
    diagcore::SnmpExchange exchange(agent, input.ConsumeIntegral<int32_t>(), 1000);
    uint64_t now = 0;
    exchange.Start(now);
    while (input.remaining_bytes() > 0) {
        const diagcore::Ipv4 from = input.ConsumeBool() ? agent : agent + 1;
        now += input.ConsumeIntegralInRange<uint64_t>(0, 3000);
        const std::vector<uint8_t> datagram = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, 512));
        if (const auto reply = diagcore::ReadSnmpTextReply(datagram.data(), datagram.size()))
            exchange.Received(from, *reply, now);
        exchange.Tick(now);
    }
    return 0;
}
