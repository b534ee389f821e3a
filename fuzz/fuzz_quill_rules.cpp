#include "FuzzText.h"
#include "quill/QuillRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::wstring text = Utf16FromBytes(data, size);
    DecodeQuillString(text);
    LeadingDecimal(text);
    ServiceIdFromInstallationDate(text);
    InstallationDateText(text);
    ColourCodeFromSnmpText(text);
    return 0;
}
