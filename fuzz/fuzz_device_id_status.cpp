#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzText.h"
#include "discovery/DeviceIdStatus.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::wstring key = Utf16FromBytes(input.ConsumeRandomLengthString(16));
    const std::wstring identification = Utf16FromBytes(input.ConsumeRemainingBytesAsString());
    ParseStatusField(GetIdField(key, identification));
    ParseStatusField(identification);
    StatusCodeFromIdentification(identification);
    return 0;
}
