#include <fuzzer/FuzzedDataProvider.h>

#include "sable/UsbHttpFraming.h"
#include "support/DecimalText.h"

// The channel's reads: blocks until the head is complete, its verdict, then the leftover
// and the following reads through the chunk decoder.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    sable::ResponseHeadAccumulator head;
    while (input.remaining_bytes() > 0 && !head.Add(input.ConsumeRandomLengthString(512))) {
    }
    sable::ParseResponseHead(head.Head());
    sable::ParseHexPrefix(head.Leftover());
    ParseDecimalPrefix(head.Leftover());
    sable::ChunkDecoder decoder;
    bool finished = decoder.AddLeftover(head.Leftover()).finished;
    while (!finished && input.remaining_bytes() > 0)
        finished = decoder.AddRead(input.ConsumeRandomLengthString(512)).finished;
    return 0;
}
