#include "sim/Scenario.h"

#include <charconv>
#include <optional>
#include <set>

namespace sim {
namespace {

bool Fail(std::string& error, size_t line, const std::string& reason)
{
    error = "line " + std::to_string(line) + ": " + reason;
    return false;
}

} // namespace

namespace {

std::optional<uint32_t> DottedIpv4Value(std::string_view text)
{
    uint32_t value = 0;
    int octets = 0;
    while (octets < 4) {
        unsigned octet = 0;
        auto parsed = std::from_chars(text.data(), text.data() + text.size(), octet);
        if (parsed.ec != std::errc() || octet > 255 || parsed.ptr == text.data())
            return std::nullopt;
        value = value << 8 | octet;
        text.remove_prefix(static_cast<size_t>(parsed.ptr - text.data()));
        if (++octets < 4) {
            if (text.empty() || text.front() != '.')
                return std::nullopt;
            text.remove_prefix(1);
        }
    }
    if (!text.empty())
        return std::nullopt;
    return value;
}

bool InNamespaceNetwork(const std::string& address, NamespaceNetwork extra)
{
    auto value = DottedIpv4Value(address);
    return extra.mask != 0 && value && (*value & extra.mask) == extra.network;
}

} // namespace

bool ParseIpv4Network(std::string_view text, NamespaceNetwork& out)
{
    size_t slash = text.find('/');
    if (slash == std::string_view::npos)
        return false;
    auto network = DottedIpv4Value(text.substr(0, slash));
    std::string_view lengthText = text.substr(slash + 1);
    unsigned length = 0;
    auto parsed = std::from_chars(lengthText.data(), lengthText.data() + lengthText.size(), length);
    if (!network || parsed.ec != std::errc() || parsed.ptr != lengthText.data() + lengthText.size() || length < 8 ||
        length > 32)
        return false;
    out.mask = length == 32 ? 0xFFFFFFFFu : ~(0xFFFFFFFFu >> length);
    out.network = *network & out.mask;
    return true;
}

bool IsLoopbackAddress(const std::string& address)
{
    // "a.b.c.d" or "a.b.c.d:port", the first octet 127.
    std::string host = address.substr(0, address.find(':'));
    if (host.size() != address.size()) {
        std::string port = address.substr(host.size() + 1);
        unsigned value = 0;
        auto parsed = std::from_chars(port.data(), port.data() + port.size(), value);
        if (port.empty() || parsed.ec != std::errc() || parsed.ptr != port.data() + port.size() || value > 65535)
            return false;
    }
    return IsIpv4Address(host) && host.starts_with("127.");
}

bool ParseScenario(std::string_view text, Scenario& out, std::string& error, NamespaceNetwork extra)
{
    Scenario scenario;
    std::set<std::string> names;
    std::set<std::string> addresses;
    size_t sectionLine = 0;

    auto closeSection = [&]() {
        if (scenario.printers.empty())
            return true;
        const PrinterConfig& printer = scenario.printers.back();
        if (!printer.usb && printer.address.empty())
            return Fail(error, sectionLine, "printer '" + printer.name + "' needs an address or usb = yes");
        if (!printer.usb && !IsLoopbackAddress(printer.address) && !InNamespaceNetwork(printer.address, extra))
            return Fail(error, sectionLine, "address " + printer.address + " is not on loopback (127.0.0.0/8)");
        if (!printer.usb && !addresses.insert(printer.address).second)
            return Fail(error, sectionLine, "address " + printer.address + " is used twice");
        if (!printer.quillEndpoint.empty() && !IsLoopbackAddress(printer.quillEndpoint))
            return Fail(error, sectionLine, "quill-endpoint must be on loopback");
        return true;
    };

    size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        size_t end = text.find('\n');
        std::string line(TrimBlanks(text.substr(0, end)));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            if (line.back() != ']' || !line.starts_with("[printer "))
                return Fail(error, lineNumber, "a section is [printer NAME]");
            if (!closeSection())
                return false;
            std::string name(TrimBlanks(std::string_view(line).substr(9, line.size() - 10)));
            if (name.empty() || name.find_first_of(" \t/") != std::string::npos)
                return Fail(error, lineNumber, "a printer name is one word without '/'");
            if (!names.insert(name).second)
                return Fail(error, lineNumber, "printer '" + name + "' is defined twice");
            scenario.printers.push_back(DefaultPrinter(name));
            sectionLine = lineNumber;
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            return Fail(error, lineNumber, "expected key = value");
        if (scenario.printers.empty())
            return Fail(error, lineNumber, "settings must follow a [printer NAME] line");
        std::string reason;
        if (!ApplySetting(scenario.printers.back(), std::string(TrimBlanks(std::string_view(line).substr(0, equals))),
                          std::string(TrimBlanks(std::string_view(line).substr(equals + 1))), reason))
            return Fail(error, lineNumber, reason);
    }
    if (!closeSection())
        return false;
    out = std::move(scenario);
    return true;
}

} // namespace sim
