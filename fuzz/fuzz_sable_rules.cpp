#include <cstdlib>
#include <string_view>

#include "FuzzText.h"
#include "discovery/HostInfoRules.h"
#include "sable/SableRules.h"
#include "support/DecimalText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    sable::ParseJobAnswer(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::wstring text = Utf16FromBytes(data, size);
    WideDecimalPrefix(text);
    sable::DropsUsedText(text);
    // The date always ends with its blank: a cut text means the buffer was too small.
    const std::wstring born = BornDateText(text);
    if (born.empty() || born.back() != L' ')
        std::abort();
    return 0;
}
