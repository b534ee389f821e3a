#include "components/diagcore/ProbeMessages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    diagcore::ReadUdpUnreachable(data, size);
    return 0;
}
