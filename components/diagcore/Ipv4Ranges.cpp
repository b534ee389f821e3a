#include "components/diagcore/Ipv4Ranges.h"

#include <algorithm>

namespace diagcore {

namespace {

template <class Char>
std::optional<Ipv4> ParseDotted(std::basic_string_view<Char> text)
{
    Ipv4 address = 0;
    size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (at >= text.size() || text[at] != Char('.'))
                return std::nullopt;
            ++at;
        }
        size_t digits = 0;
        unsigned value = 0;
        while (at < text.size() && text[at] >= Char('0') && text[at] <= Char('9') && digits < 3) {
            value = value * 10 + static_cast<unsigned>(text[at] - Char('0'));
            ++at;
            ++digits;
        }
        if (digits == 0 || value > 255)
            return std::nullopt;
        address = (address << 8) | value;
    }
    if (at != text.size())
        return std::nullopt;
    return address;
}

bool IsSeparator(char c)
{
    return c == ',' || c == ';' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

std::optional<Ipv4> ParseIpv4(std::string_view text)
{
    return ParseDotted(text);
}

std::optional<Ipv4> ParseIpv4(std::wstring_view text)
{
    return ParseDotted(text);
}

std::string FormatIpv4(Ipv4 address)
{
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

std::optional<Ipv4Network> Ipv4Network::Of(Ipv4 address, int prefixLength)
{
    if (prefixLength < 0 || prefixLength > 32)
        return std::nullopt;
    Ipv4Network network{0, prefixLength};
    network.base = address & network.Mask();
    return network;
}

Ipv4 Ipv4Network::Mask() const
{
    return prefixLength == 0 ? 0 : ~Ipv4{0} << (32 - prefixLength);
}

std::string Ipv4Network::Format() const
{
    return FormatIpv4(base) + "/" + std::to_string(prefixLength);
}

std::optional<Ipv4Network> ParseNetwork(std::string_view text)
{
    size_t slash = text.find('/');
    auto address = ParseIpv4(text.substr(0, slash));
    if (!address)
        return std::nullopt;
    int prefixLength = 32;
    if (slash != std::string_view::npos) {
        std::string_view digits = text.substr(slash + 1);
        if (digits.empty() || digits.size() > 2 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        prefixLength = std::stoi(std::string(digits));
    }
    return Ipv4Network::Of(*address, prefixLength);
}

std::optional<std::vector<Ipv4Network>> ParseNetworkList(std::string_view text)
{
    std::vector<Ipv4Network> networks;
    size_t at = 0;
    while (at < text.size()) {
        if (IsSeparator(text[at])) {
            ++at;
            continue;
        }
        size_t end = at;
        while (end < text.size() && !IsSeparator(text[end]))
            ++end;
        auto network = ParseNetwork(text.substr(at, end - at));
        if (!network)
            return std::nullopt;
        networks.push_back(*network);
        at = end;
    }
    return networks;
}

std::string FormatNetworkList(const std::vector<Ipv4Network>& networks)
{
    std::string text;
    for (const Ipv4Network& network : networks)
        text += (text.empty() ? "" : ",") + network.Format();
    return text;
}

std::optional<std::vector<Ipv4>> SearchHosts(const Ipv4Network& requested,
                                             const std::optional<std::vector<Ipv4Network>>& allowed)
{
    Ipv4 first = requested.base;
    Ipv4 last = requested.Last();
    if (requested.prefixLength <= 30) {
        ++first;
        --last;
    }
    // Walk only the parts of the request that an allowed network covers, so a wide request
    // narrowed by the configuration stays cheap.
    std::vector<std::pair<Ipv4, Ipv4>> spans;
    if (!allowed) {
        spans.emplace_back(first, last);
    } else {
        for (const Ipv4Network& network : *allowed) {
            Ipv4 from = std::max(first, network.base);
            Ipv4 to = std::min(last, network.Last());
            if (from <= to)
                spans.emplace_back(from, to);
        }
    }
    std::vector<Ipv4> hosts;
    for (const auto& [from, to] : spans) {
        if (uint64_t{to} - from + 1 > kMaxSearchHosts)
            return std::nullopt;
        for (uint64_t host = from; host <= to; ++host)
            hosts.push_back(static_cast<Ipv4>(host));
        if (hosts.size() > kMaxSearchHosts * 2)
            break;
    }
    std::sort(hosts.begin(), hosts.end());
    hosts.erase(std::unique(hosts.begin(), hosts.end()), hosts.end());
    if (hosts.size() > kMaxSearchHosts)
        return std::nullopt;
    return hosts;
}

Ipv4Network AdapterSearchNetwork(Ipv4 adapterAddress, int prefixLength)
{
    if (prefixLength < 22 || prefixLength > 32)
        prefixLength = 24;
    return *Ipv4Network::Of(adapterAddress, prefixLength);
}

std::optional<Ipv4> AddressFromPortName(std::wstring_view portName)
{
    if (portName.size() > 3 && (portName[0] == L'I' || portName[0] == L'i') &&
        (portName[1] == L'P' || portName[1] == L'p') && portName[2] == L'_') {
        std::wstring_view rest = portName.substr(3);
        if (auto address = ParseIpv4(rest))
            return address;
        size_t suffix = rest.rfind(L'_');
        if (suffix != std::wstring_view::npos && suffix + 1 < rest.size() &&
            std::all_of(rest.begin() + suffix + 1, rest.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
            return ParseIpv4(rest.substr(0, suffix));
        return std::nullopt;
    }
    return ParseIpv4(portName);
}

} // namespace diagcore
