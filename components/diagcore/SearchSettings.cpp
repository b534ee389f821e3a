#include "components/diagcore/SearchSettings.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include <algorithm>
#include <vector>

#include "components/diagcore/CoreSupport.h"
#include "components/diagcore/ProbeMessages.h"

namespace diagcore {

namespace {

constexpr wchar_t kSection[] = L"Search";
constexpr wchar_t kNoValue[] = L"\x1";

std::optional<Ipv4> Ipv4Of(const SOCKET_ADDRESS& address)
{
    if (address.lpSockaddr == nullptr || address.lpSockaddr->sa_family != AF_INET)
        return std::nullopt;
    const auto* inet = reinterpret_cast<const sockaddr_in*>(address.lpSockaddr);
    return ntohl(inet->sin_addr.s_addr);
}

std::wstring Wide(const std::string& text)
{
    return WidenDeviceText(text);
}

std::wstring MacText(const IP_ADAPTER_ADDRESSES& adapter)
{
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring mac;
    for (ULONG i = 0; i < adapter.PhysicalAddressLength && i < MAX_ADAPTER_ADDRESS_LENGTH; ++i) {
        if (i > 0)
            mac += L'-';
        mac += digits[adapter.PhysicalAddress[i] >> 4];
        mac += digits[adapter.PhysicalAddress[i] & 0xF];
    }
    return mac;
}

} // namespace

SearchConfig ReadSearchConfig()
{
    SearchConfig config;
    config.path = ExecutableFolder() + L"\\config\\search.ini";
    if (::GetFileAttributesW(config.path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return config;
    wchar_t buffer[4096];
    ::GetPrivateProfileStringW(kSection, L"Ranges", kNoValue, buffer, ARRAYSIZE(buffer), config.path.c_str());
    std::wstring ranges(buffer);
    if (ranges != kNoValue) {
        std::string narrow;
        bool ascii = true;
        for (wchar_t c : ranges) {
            ascii = ascii && c < 0x80;
            narrow += static_cast<char>(c);
        }
        auto parsed = ascii ? ParseNetworkList(narrow) : std::nullopt;
        config.allowed = parsed.value_or(std::vector<Ipv4Network>{});
    }
    UINT timeout = ::GetPrivateProfileIntW(kSection, L"ProbeTimeoutMs", kDefaultProbeTimeoutMs, config.path.c_str());
    config.probeTimeoutMs = std::clamp<DWORD>(timeout, kMinProbeTimeoutMs, kMaxProbeTimeoutMs);
    return config;
}

AdapterSettings ReadAdapterSettings(const SearchConfig& config)
{
    AdapterSettings settings;
    if (config.allowed) {
        if (config.allowed->empty())
            return settings;
        settings.connected = true;
        settings.count = 1;
        settings.name = L"config";
        settings.description = L"Search ranges of " + config.path;
        settings.searchNetwork = config.allowed->front();
        settings.ipAddress = Wide(FormatIpv4(settings.searchNetwork.base));
        settings.subnetMask = Wide(FormatIpv4(settings.searchNetwork.Mask()));
        return settings;
    }

    ULONG size = 16 * 1024;
    std::vector<BYTE> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.assign(size, 0);
        result = ::GetAdaptersAddresses(AF_INET,
                                        GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER |
                                            GAA_FLAG_INCLUDE_GATEWAYS,
                                        nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (result != NO_ERROR)
        return settings;

    const IP_ADAPTER_ADDRESSES* chosen = nullptr;
    Ipv4 chosenAddress = 0;
    int chosenPrefix = 0;
    bool chosenHasGateway = false;
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter != nullptr;
         adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK ||
            adapter->IfType == IF_TYPE_TUNNEL)
            continue;
        for (auto* unicast = adapter->FirstUnicastAddress; unicast != nullptr; unicast = unicast->Next) {
            auto address = Ipv4Of(unicast->Address);
            // Loopback and link-local (169.254/16) addresses are no network to search.
            if (!address || (*address >> 24) == 127 || (*address >> 16) == 0xA9FE)
                continue;
            ++settings.count;
            bool hasGateway = adapter->FirstGatewayAddress != nullptr;
            if (chosen == nullptr || (hasGateway && !chosenHasGateway)) {
                chosen = adapter;
                chosenAddress = *address;
                chosenPrefix = unicast->OnLinkPrefixLength;
                chosenHasGateway = hasGateway;
            }
            break;
        }
    }
    if (chosen == nullptr)
        return settings;
    settings.connected = true;
    settings.name = Wide(chosen->AdapterName != nullptr ? chosen->AdapterName : "");
    settings.description = chosen->Description != nullptr ? chosen->Description : L"";
    settings.index = static_cast<long>(chosen->IfIndex);
    settings.macAddress = MacText(*chosen);
    settings.ipAddress = Wide(FormatIpv4(chosenAddress));
    auto subnet = Ipv4Network::Of(chosenAddress, chosenPrefix);
    settings.subnetMask = Wide(FormatIpv4(subnet ? subnet->Mask() : 0));
    if (chosen->FirstGatewayAddress != nullptr)
        if (auto gateway = Ipv4Of(chosen->FirstGatewayAddress->Address))
            settings.gateway = Wide(FormatIpv4(*gateway));
    settings.searchNetwork = AdapterSearchNetwork(chosenAddress, chosenPrefix);
    return settings;
}

} // namespace diagcore
