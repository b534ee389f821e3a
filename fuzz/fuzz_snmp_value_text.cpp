#include <cstdlib>

#include "quill/SnmpValueText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SnmpMessage message;
    if (!DecodeSnmpMessage(data, size, message))
        return 0;
    for (const SnmpVarBind& varbind : message.pdu.varbinds)
        if (SnmpValueToText(varbind.value).size() > kSnmpValueTextMax)
            std::abort();
    return 0;
}
