#include <string_view>

#include "FuzzText.h"
#include "components/diagcore/Ipv4Ranges.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto networks = diagcore::ParseNetworkList(std::string_view(reinterpret_cast<const char*>(data), size));
    // A parsed list is what a search then expands: bounded whatever the text said.
    if (networks)
        for (const diagcore::Ipv4Network& network : *networks)
            diagcore::SearchHosts(network, networks);
    diagcore::AddressFromPortName(Utf16FromBytes(data, size));
    return 0;
}
