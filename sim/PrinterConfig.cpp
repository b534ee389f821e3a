#include "sim/PrinterConfig.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <functional>
#include <sstream>

namespace sim {
namespace {

std::vector<std::string> Words(const std::string& text)
{
    std::istringstream stream(text);
    std::vector<std::string> words;
    for (std::string word; stream >> word;)
        words.push_back(word);
    return words;
}

template <class Number>
bool ParseNumber(const std::string& text, Number& out, int base = 10)
{
    if (text.empty())
        return false;
    auto result = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

bool ParseBool(const std::string& text, bool& out)
{
    std::string lower = AsciiLower(text);
    if (lower == "yes" || lower == "true" || lower == "1" || lower == "on") {
        out = true;
        return true;
    }
    if (lower == "no" || lower == "false" || lower == "0" || lower == "off") {
        out = false;
        return true;
    }
    return false;
}

bool IsDottedQuillId(const std::string& id)
{
    if (id.empty())
        return false;
    std::istringstream stream(id);
    int count = 0;
    for (std::string part; std::getline(stream, part, '.');) {
        unsigned value = 0;
        if (!ParseNumber(part, value) || value == 0 || value > 255)
            return false;
        ++count;
    }
    return count > 0 && count <= 32 && id.back() != '.';
}

// "name=value" options after an item's first word.
using OptionSetter = std::function<bool(const std::string& value)>;

bool ApplyOptions(const std::vector<std::string>& words, size_t first,
                  const std::map<std::string, OptionSetter>& setters, std::string& error)
{
    for (size_t i = first; i < words.size(); ++i) {
        size_t equals = words[i].find('=');
        std::string name = words[i].substr(0, equals);
        std::string value = equals == std::string::npos ? std::string() : words[i].substr(equals + 1);
        auto setter = setters.find(name);
        if (setter == setters.end()) {
            error = "unknown field '" + name + "'";
            return false;
        }
        if (equals == std::string::npos || !setter->second(value)) {
            error = "bad value for '" + name + "'";
            return false;
        }
    }
    return true;
}

std::map<std::string, OptionSetter> InkFields(SimInk& ink)
{
    return {
        {"label", [&](const std::string& v) { ink.label = v; return !v.empty(); }},
        {"colour-code", [&](const std::string& v) { return ParseNumber(v, ink.colourCode) && ink.colourCode >= 0; }},
        {"level", [&](const std::string& v) { return ParseNumber(v, ink.level) && ink.level >= 0 && ink.level <= 100; }},
        {"type", [&](const std::string& v) { ink.type = v; return true; }},
        {"serial", [&](const std::string& v) { ink.serial = v; return true; }},
        {"selectability", [&](const std::string& v) { ink.selectability = v; return true; }},
        {"state", [&](const std::string& v) { ink.state = v; return true; }},
        {"brand", [&](const std::string& v) { ink.brand = v; return true; }},
        {"drops", [&](const std::string& v) { return ParseNumber(v, ink.drops) && ink.drops >= 0; }},
        {"region", [&](const std::string& v) { return ParseNumber(v, ink.region); }},
        {"install-date", [&](const std::string& v) { ink.installDate = v; return true; }},
        {"warranty", [&](const std::string& v) { ink.warranty = v; return true; }},
    };
}

std::map<std::string, OptionSetter> PrintheadFields(SimPrinthead& head)
{
    return {
        {"id", [&](const std::string& v) { head.id = v; return !v.empty(); }},
        {"state", [&](const std::string& v) { head.state = v; return true; }},
        {"install-date", [&](const std::string& v) { head.installDate = v; return true; }},
        {"warranty", [&](const std::string& v) { head.warranty = v; return true; }},
    };
}

std::map<std::string, OptionSetter> AlertFields(SimAlert& alert)
{
    return {
        {"severity", [&](const std::string& v) { alert.severity = v; return true; }},
        {"priority", [&](const std::string& v) { return ParseNumber(v, alert.priority); }},
    };
}

bool ParseFaults(const std::string& value, EndpointFaults& faults, std::string& error)
{
    EndpointFaults parsed;
    std::map<std::string, bool*> flags = {
        {"silence", &parsed.silence},     {"garbage", &parsed.garbage},
        {"oversized", &parsed.oversized}, {"endless", &parsed.endless},
        {"empty", &parsed.empty},
        {"disconnect", &parsed.disconnect}, {"wrong-types", &parsed.wrongTypes},
        {"refuse", &parsed.refuse},       {"stall", &parsed.stall},
        {"chunked", &parsed.chunked},     {"noise", &parsed.noise},
    };
    std::map<std::string, unsigned*> numbers = {
        {"delay", &parsed.delayMs}, {"read-size", &parsed.readSize}, {"empty-reads", &parsed.emptyReads}};
    for (const std::string& word : Words(value)) {
        size_t equals = word.find('=');
        std::string name = word.substr(0, equals);
        if (auto flag = flags.find(name); flag != flags.end() && equals == std::string::npos) {
            *flag->second = true;
            continue;
        }
        auto number = numbers.find(name);
        if (number == numbers.end() || equals == std::string::npos ||
            !ParseNumber(word.substr(equals + 1), *number->second)) {
            error = "unknown fault '" + word + "'";
            return false;
        }
    }
    if (parsed.readSize > 2048) {
        error = "read-size above 2048";
        return false;
    }
    faults = parsed;
    return true;
}

bool ParseEndpoint(const std::string& name, Endpoint& endpoint)
{
    for (Endpoint candidate : {Endpoint::Http, Endpoint::Snmp, Endpoint::Raw, Endpoint::Usb, Endpoint::QuillWire}) {
        if (name == EndpointName(candidate)) {
            endpoint = candidate;
            return true;
        }
    }
    return false;
}

// "ink.2.level" -> index 1 and field "level"
bool SplitIndexedKey(const std::string& key, const std::string& prefix, size_t& index, std::string& field)
{
    if (!key.starts_with(prefix + "."))
        return false;
    std::string rest = key.substr(prefix.size() + 1);
    size_t dot = rest.find('.');
    if (dot == std::string::npos)
        return false;
    size_t number = 0;
    if (!ParseNumber(rest.substr(0, dot), number) || number == 0)
        return false;
    index = number - 1;
    field = rest.substr(dot + 1);
    return true;
}

template <class Item, class Fields>
bool SetIndexedField(std::vector<Item>& items, size_t index, const std::string& field, const std::string& value,
                     Fields fieldsOf, std::string& error)
{
    if (index >= items.size()) {
        error = "no item " + std::to_string(index + 1);
        return false;
    }
    Item copy = items[index];
    auto fields = fieldsOf(copy);
    auto setter = fields.find(field);
    if (setter == fields.end()) {
        error = "unknown field '" + field + "'";
        return false;
    }
    if (!setter->second(value)) {
        error = "bad value for '" + field + "'";
        return false;
    }
    items[index] = copy;
    return true;
}

bool ApplyToCopy(PrinterConfig& p, const std::string& key, const std::string& value, std::string& error)
{
    auto text = [&](std::string& field) {
        field = value;
        return true;
    };
    auto number = [&](int& field) {
        if (!ParseNumber(value, field)) {
            error = "not a number";
            return false;
        }
        return true;
    };
    auto flag = [&](bool& field) {
        if (!ParseBool(value, field)) {
            error = "not yes or no";
            return false;
        }
        return true;
    };
    // One of two words; `second` sets the field.
    auto choice = [&](const char* first, const char* second, bool& field) {
        const std::string lower = AsciiLower(value);
        if (lower != first && lower != second) {
            error = std::string("'") + first + "' or '" + second + "'";
            return false;
        }
        field = lower == second;
        return true;
    };

    if (key == "address") {
        if (!IsIpv4Address(value)) {
            error = "not an IPv4 address";
            return false;
        }
        p.address = value;
        p.usb = false;
        return true;
    }
    if (key == "usb") {
        if (!flag(p.usb))
            return false;
        if (p.usb)
            p.address.clear();
        return true;
    }
    if (key == "quill-endpoint")
        return text(p.quillEndpoint);
    if (key == "protocol") {
        std::string lower = AsciiLower(value);
        if (lower != "sable" && lower != "quill") {
            error = "protocol is sable or quill";
            return false;
        }
        p.protocol = lower == "sable" ? Protocol::Sable : Protocol::Quill;
        return true;
    }
    if (key == "model")
        return text(p.model);
    if (key == "model-base")
        return text(p.modelBase);
    if (key == "pid") {
        unsigned id = 0;
        if (value.size() != 4 || !ParseNumber(value, id, 16)) {
            error = "pid is four hexadecimal digits";
            return false;
        }
        p.productId = value;
        return true;
    }
    if (key == "serial")
        return text(p.serial);
    if (key == "firmware")
        return text(p.firmware);
    if (key == "service-id")
        return text(p.serviceId);
    if (key == "install-date")
        return text(p.installDate);
    if (key == "mac")
        return text(p.mac);
    if (key == "region")
        return text(p.regionId);
    if (key == "ink-kit")
        return text(p.inkKit);
    if (key == "page-count")
        return number(p.pageCount);
    if (key == "copy")
        return flag(p.copy);
    if (key == "adf")
        return flag(p.adf);
    if (key == "status-code") {
        if (!number(p.statusCode))
            return false;
        if (p.statusCode < 0 || p.statusCode > 255) {
            error = "status code is 0 to 255";
            return false;
        }
        return true;
    }
    if (key == "statuses") {
        p.statuses.clear();
        std::istringstream stream(value);
        for (std::string item; std::getline(stream, item, ',');) {
            auto words = Words(item);
            if (words.size() != 1) {
                error = "statuses is a comma-separated list of identifiers";
                return false;
            }
            p.statuses.push_back(words[0]);
        }
        return true;
    }
    if (key == "feeder-status") {
        if (!ParseNumber(value, p.feederStatus, 16) || p.feederStatus > 0xFFFF) {
            error = "feeder status is up to four hexadecimal digits";
            return false;
        }
        return true;
    }
    if (key == "colour-feeder-type.snmp" || key == "colour-feeder-type.usb") {
        bool& integers = key.ends_with(".snmp") ? p.snmpCodesAsIntegers : p.usbCodesAsIntegers;
        return choice("octets", "integer", integers);
    }
    if (key == "printhead-type.snmp" || key == "printhead-type.usb") {
        bool& integers = key.ends_with(".snmp") ? p.snmpPrintheadIntegers : p.usbPrintheadIntegers;
        return choice("text", "integer", integers);
    }
    if (key == "device-id-length")
        return flag(p.deviceIdLength);
    if (key == "usb-idle-size")
        return choice("none", "zero", p.usbIdleSizeZero);
    if (key == "job-check")
        return choice("lenient", "strict", p.strictJobs);
    if (key == "job-delay-ms") {
        int delay = 0;
        if (!number(delay) || delay < 0)
            return false;
        p.jobDelayMs = static_cast<unsigned>(delay);
        return true;
    }
    if (key == "job-final-state") {
        // Devices differ in letter case; the text is served as written.
        if (AsciiLower(value) != "completed" && AsciiLower(value) != "canceled") {
            error = "job final state is completed or canceled";
            return false;
        }
        p.jobFinalState = value;
        return true;
    }
    auto words = Words(value);
    if (key == "ink") {
        if (words.empty()) {
            p.inks.clear();
            return true;
        }
        SimInk ink;
        ink.label = words[0];
        ink.serial = p.serial + "-" + std::to_string(p.inks.size() + 1);
        if (!ApplyOptions(words, 1, InkFields(ink), error))
            return false;
        p.inks.push_back(ink);
        return true;
    }
    if (key == "printhead") {
        if (words.empty()) {
            p.printheads.clear();
            return true;
        }
        SimPrinthead head;
        head.id = words[0];
        if (!ApplyOptions(words, 1, PrintheadFields(head), error))
            return false;
        p.printheads.push_back(head);
        return true;
    }
    if (key == "alert") {
        if (words.empty()) {
            p.alerts.clear();
            return true;
        }
        SimAlert alert;
        alert.id = words[0];
        if (!ApplyOptions(words, 1, AlertFields(alert), error))
            return false;
        p.alerts.push_back(alert);
        return true;
    }
    size_t index = 0;
    std::string field;
    if (SplitIndexedKey(key, "ink", index, field))
        return SetIndexedField(p.inks, index, field, value, InkFields, error);
    if (SplitIndexedKey(key, "printhead", index, field))
        return SetIndexedField(p.printheads, index, field, value, PrintheadFields, error);
    if (key.starts_with("quill.")) {
        std::string id = key.substr(6);
        if (!IsDottedQuillId(id)) {
            error = "a Quill id is dotted numbers from 1 to 255";
            return false;
        }
        if (words.empty()) {
            p.quillOverrides.erase(id);
            return true;
        }
        QuillOverride override;
        override.kind = words[0];
        size_t valueStart = value.find(words[0]) + words[0].size();
        std::string rest = value.substr(valueStart);
        size_t first = rest.find_first_not_of(" \t");
        override.value = first == std::string::npos ? std::string() : rest.substr(first);
        int integer = 0;
        bool valid = (override.kind == "int" && ParseNumber(override.value, integer)) ||
                     override.kind == "string" || override.kind == "hex" ||
                     ((override.kind == "null" || override.kind == "absent") && override.value.empty());
        if (override.kind == "hex") {
            std::istringstream stream(override.value);
            for (std::string byte; std::getline(stream, byte, '-');) {
                unsigned parsed = 0;
                valid = valid && byte.size() <= 2 && ParseNumber(byte, parsed, 16);
            }
        }
        if (!valid) {
            error = "Quill value is 'int N', 'string TEXT', 'hex 01-02', 'null' or 'absent'";
            return false;
        }
        p.quillOverrides[id] = override;
        return true;
    }
    if (key.starts_with("fault.")) {
        Endpoint endpoint{};
        if (!ParseEndpoint(key.substr(6), endpoint)) {
            error = "unknown endpoint '" + key.substr(6) + "'";
            return false;
        }
        return ParseFaults(value, p.faults[endpoint], error);
    }
    error = "unknown key '" + key + "'";
    return false;
}

} // namespace

const EndpointFaults& PrinterConfig::FaultsOf(Endpoint endpoint) const
{
    static const EndpointFaults none;
    auto found = faults.find(endpoint);
    return found == faults.end() ? none : found->second;
}

PrinterConfig DefaultPrinter(const std::string& name)
{
    PrinterConfig printer;
    printer.name = name;
    SimInk black;
    black.label = "K";
    black.level = 80;
    black.serial = "KB7001";
    black.selectability = "61";
    black.drops = 12;
    SimInk colour;
    colour.label = "CMY";
    colour.level = 55;
    colour.serial = "KC7002";
    colour.selectability = "62";
    colour.drops = 9;
    printer.inks = {black, colour};
    printer.printheads = {SimPrinthead{}};
    return printer;
}

bool ApplySetting(PrinterConfig& printer, const std::string& key, const std::string& value, std::string& error)
{
    PrinterConfig copy = printer;
    if (!ApplyToCopy(copy, key, value, error))
        return false;
    printer = std::move(copy);
    return true;
}

int ColourCodeForLabel(const std::string& label)
{
    static const std::map<std::string, int> codes = {
        {"c", 1},   {"cyan", 1},  {"m", 2},   {"magenta", 2},       {"y", 4},     {"yellow", 4},
        {"cmy", 7}, {"k", 8},     {"black", 8}, {"lc", 128},        {"lm", 256},  {"lg", 2048},
        {"pk", 4096}, {"photo black", 4096}, {"cyanmagentayellow", 7}, {"cyan+magenta+yellow", 7},
    };
    auto found = codes.find(AsciiLower(label));
    return found == codes.end() ? 0 : found->second;
}

std::string_view TrimBlanks(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string AsciiLower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool IsIpv4Address(const std::string& text)
{
    std::istringstream stream(text);
    int parts = 0;
    for (std::string part; std::getline(stream, part, '.');) {
        unsigned value = 0;
        if (part.size() > 3 || !ParseNumber(part, value) || value > 255)
            return false;
        ++parts;
    }
    return parts == 4 && text.back() != '.';
}

const char* EndpointName(Endpoint endpoint)
{
    switch (endpoint) {
    case Endpoint::Http: return "http";
    case Endpoint::Snmp: return "snmp";
    case Endpoint::Raw: return "raw";
    case Endpoint::Usb: return "usb";
    case Endpoint::QuillWire: return "quill-wire";
    }
    return "?";
}

} // namespace sim
