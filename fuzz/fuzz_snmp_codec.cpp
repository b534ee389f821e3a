#include <cstdlib>

#include "quill/SnmpCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SnmpMessage message;
    std::string error;
    if (!DecodeSnmpMessage(data, size, message, &error))
        return 0;
    // Whatever the encoder accepts must decode to the same message.
    const std::vector<uint8_t> encoded = EncodeSnmpMessage(message);
    if (encoded.empty())
        return 0;
    SnmpMessage again;
    if (!DecodeSnmpMessage(encoded.data(), encoded.size(), again) || !(again == message))
        std::abort();
    return 0;
}
