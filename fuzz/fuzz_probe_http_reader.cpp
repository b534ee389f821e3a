#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

#include "components/diagcore/ProbeMessages.h"

// One connection's bytes in reads of any size, then the close; a complete body goes on to
// the document reader as the search does.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    diagcore::HttpResponseReader reader;
    auto state = diagcore::HttpResponseReader::State::NeedMore;
    while (input.remaining_bytes() > 0 && state == diagcore::HttpResponseReader::State::NeedMore)
        state = reader.Feed(input.ConsumeRandomLengthString(4096));
    if (state == diagcore::HttpResponseReader::State::NeedMore)
        state = reader.Closed();
    if (reader.Body().size() > diagcore::kMaxHttpResponse)
        std::abort();
    if (state == diagcore::HttpResponseReader::State::Complete) {
        diagcore::ReadProductConfig(reader.Body());
        diagcore::WidenDeviceText(reader.Body());
    }
    return 0;
}
