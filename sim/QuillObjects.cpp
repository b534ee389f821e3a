#include "sim/QuillObjects.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <sstream>

namespace sim {
namespace {

std::vector<uint32_t> ParseDotted(const std::string& text)
{
    std::vector<uint32_t> parts;
    std::istringstream stream(text);
    for (std::string part; std::getline(stream, part, '.');) {
        uint32_t value = 0;
        auto result = std::from_chars(part.data(), part.data() + part.size(), value);
        if (part.empty() || result.ec != std::errc() || result.ptr != part.data() + part.size())
            return {};
        parts.push_back(value);
    }
    return parts;
}

// The octets whose hexadecimal rendering spells the code's hexadecimal digits.
std::vector<uint8_t> HexDigitOctets(unsigned code)
{
    std::vector<uint8_t> bytes;
    do {
        bytes.insert(bytes.begin(), static_cast<uint8_t>(code & 0xFF));
        code >>= 8;
    } while (code != 0);
    return bytes;
}

// A text's leading decimal number; 0 when it has none.
int32_t LeadingNumber(const std::string& text)
{
    int32_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

SnmpValue QuillText(const std::string& text)
{
    return SnmpValue::MakeBytes(SnmpType::OctetString, QuillString(text));
}

// Agent flag objects and the ink states that set a slot's bit in them.
struct AgentFlag {
    const char* id;
    const char* state; // ink state that sets the bit, or nullptr
};

const AgentFlag kAgentFlags[] = {
    {"1.4.1.5.2.15", "missing"},          {"1.4.1.5.2.16", "incorrect"},
    {"1.4.1.5.2.10", "incorrectinstall"}, {"1.4.1.5.2.7", "wrongslot"},
    {"1.4.1.5.2.28", "incorrectregion"},  {"1.4.1.5.2.29", nullptr},
    {"1.4.1.5.2.30", nullptr},            {"1.4.1.5.2.17", "failure"},
    {"1.4.1.5.2.19", "expired"},          {"1.4.1.5.2.14", "out"},
    {"1.4.1.5.2.82", nullptr},            {"1.4.1.5.2.27", "reserve"},
    {"1.4.1.5.2.24", "low"},              {"1.4.1.5.2.6", nullptr},
    {"1.4.1.5.2.84", nullptr},            {"1.4.1.5.2.66", nullptr},
    {"1.4.1.5.2.42", nullptr},            {"1.4.1.5.2.80", nullptr},
    {"1.4.1.5.2.58", "verylow"},          {"1.4.1.5.2.78", nullptr},
    {"1.4.1.5.2.56", nullptr},            {"1.4.1.5.2.76", nullptr},
    {"1.4.1.5.2.25", nullptr},            {"1.4.1.5.2.33", nullptr},
    {"1.4.1.5.2.39", nullptr},
};
constexpr char kNonKeloFlag[] = "1.4.1.5.2.32";

std::vector<uint8_t> MacOctets(const std::string& mac)
{
    std::vector<uint8_t> bytes;
    std::string digits;
    for (char c : mac)
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits += c;
    for (size_t i = 0; i + 1 < digits.size() && bytes.size() < 6; i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return bytes;
}

SnmpValue OverrideValue(const QuillOverride& override)
{
    if (override.kind == "int")
        return SnmpValue::MakeInteger(static_cast<int32_t>(std::stol(override.value)));
    if (override.kind == "string")
        return QuillText(override.value);
    if (override.kind == "hex") {
        std::vector<uint8_t> bytes;
        std::istringstream stream(override.value);
        for (std::string byte; std::getline(stream, byte, '-');)
            if (!byte.empty())
                bytes.push_back(static_cast<uint8_t>(std::stoul(byte, nullptr, 16)));
        return SnmpValue::MakeBytes(SnmpType::OctetString, bytes);
    }
    return SnmpValue::MakeNull();
}

} // namespace

std::vector<uint8_t> QuillString(const std::string& text)
{
    std::vector<uint8_t> bytes(text.size() + 2);
    bytes[0] = 0x01;
    bytes[1] = static_cast<uint8_t>(text.size() & 0xFF);
    std::copy(text.begin(), text.end(), bytes.begin() + 2);
    return bytes;
}

std::vector<uint32_t> QuillIdToOid(const std::string& dottedQuillId)
{
    std::vector<uint32_t> id = ParseDotted(dottedQuillId);
    if (id.empty())
        return {};
    std::vector<uint32_t> oid = ParseDotted(kQuillSnmpPrefix);
    oid.insert(oid.end(), id.begin(), id.end());
    oid.push_back(0);
    return oid;
}

std::string OidToQuillId(const std::vector<uint32_t>& oid)
{
    static const std::vector<uint32_t> prefix = ParseDotted(kQuillSnmpPrefix);
    if (oid.size() < prefix.size() + 2 || oid.back() != 0 || !std::equal(prefix.begin(), prefix.end(), oid.begin()))
        return {};
    std::string text;
    for (size_t i = prefix.size(); i + 1 < oid.size(); ++i)
        text += (text.empty() ? "" : ".") + std::to_string(oid[i]);
    return text;
}

std::string QuillBytesToDotted(const std::vector<uint8_t>& bytes)
{
    std::string text;
    for (uint8_t byte : bytes) {
        if (byte == 0)
            return {};
        text += (text.empty() ? "" : ".") + std::to_string(byte);
    }
    return text;
}

std::string DeviceIdString(const PrinterConfig& p)
{
    char code[3];
    static const char digits[] = "0123456789ABCDEF";
    unsigned value = static_cast<unsigned>(p.statusCode) & 0xFF;
    code[0] = digits[value >> 4];
    code[1] = digits[value & 0xF];
    code[2] = '\0';
    std::string command = p.protocol == Protocol::Sable ? "PCL3GUI,PJL,SABLE,DW-PCL" : "PCL3GUI,PJL,QUILL,DW-PCL";
    // Sixteen digits of other state come before the status pair in the field.
    return "MFG:Kelo;MDL:" + p.model + ";CMD:" + command + ";CLS:PRINTER;DES:" + p.productId + ";SN:" + p.serial +
           ";S:0380008000020020" + code + "000000000000;Z:0102,05" + p.productId + ";";
}

std::map<std::string, SnmpValue> BuildQuillObjects(const PrinterConfig& p, QuillCarrier carrier)
{
    const bool usb = carrier == QuillCarrier::Usb;
    const bool codesAsIntegers = usb ? p.usbCodesAsIntegers : p.snmpCodesAsIntegers;
    const bool printheadIntegers = usb ? p.usbPrintheadIntegers : p.snmpPrintheadIntegers;
    auto code = [&](unsigned value) {
        return codesAsIntegers ? SnmpValue::MakeInteger(static_cast<int32_t>(value))
                               : SnmpValue::MakeBytes(SnmpType::OctetString, HexDigitOctets(value));
    };
    auto printheadValue = [&](const std::string& text) {
        return printheadIntegers ? SnmpValue::MakeInteger(LeadingNumber(text)) : QuillText(text);
    };
    std::map<std::string, SnmpValue> objects;
    objects["1.1.3.2"] = QuillText(p.model);
    objects["1.1.3.3"] = QuillText(p.serial);
    objects["1.1.3.6"] = QuillText(p.firmware);
    objects["1.1.2.19"] = QuillText(p.serviceId);
    objects["1.1.2.8"] = QuillText(p.installDate);
    objects["1.2.5.3"] = QuillText(p.mac);
    objects["1.4.1.2.5"] = SnmpValue::MakeInteger(p.pageCount);
    objects["1.4.1.2.1"] = SnmpValue::MakeInteger(p.pageCount * 3);
    int region = 0;
    std::from_chars(p.regionId.data(), p.regionId.data() + p.regionId.size(), region);
    objects["1.1.1.35"] = SnmpValue::MakeInteger(region);
    // The feeder status word always fills two octets.
    objects["1.2.2.2.1"] = codesAsIntegers ? code(p.feederStatus)
                                           : SnmpValue::MakeBytes(SnmpType::OctetString,
                                                                  {static_cast<uint8_t>(p.feederStatus >> 8),
                                                                   static_cast<uint8_t>(p.feederStatus & 0xFF)});
    objects[kServiceCommandId] = SnmpValue::MakeInteger(0);
    objects[kCleaningCommandId] = SnmpValue::MakeInteger(0);

    std::map<std::string, int32_t> flags;
    for (const AgentFlag& flag : kAgentFlags)
        flags[flag.id] = 0;
    flags[kNonKeloFlag] = 0;
    for (size_t i = 0; i < p.inks.size() && i < 8; ++i) {
        const SimInk& ink = p.inks[i];
        int32_t bit = 1 << i;
        std::string n = std::to_string(i + 1);
        int colour = ink.colourCode != 0 ? ink.colourCode : ColourCodeForLabel(ink.label);
        objects["1.4.1.5.4." + n + ".26"] = code(static_cast<unsigned>(colour));
        objects["1.4.1.5.4." + n + ".1"] = SnmpValue::MakeInteger(ink.level);
        objects["1.4.1.5.4." + n + ".27"] = SnmpValue::MakeInteger(ink.region);
        objects["1.4.1.5.4." + n + ".32"] = QuillText(ink.selectability);
        objects["1.4.1.5.3." + n + ".12"] = SnmpValue::MakeInteger(ink.drops * 1000);
        objects["1.4.1.5.4." + n + ".4"] = QuillText(ink.serial);
        std::string state = AsciiLower(ink.state);
        for (const AgentFlag& flag : kAgentFlags)
            if (flag.state != nullptr && state == flag.state)
                flags[flag.id] |= bit;
        bool nonKelo = AsciiLower(ink.brand) == "nonkelo";
        if (nonKelo)
            flags[kNonKeloFlag] |= bit;
        if (i < 2)
            objects[i == 0 ? "1.4.1.5.7.1" : "1.4.1.5.8.1"] = SnmpValue::MakeInteger(nonKelo ? 2 : 0);
    }
    for (const auto& [id, mask] : flags)
        objects[id] = SnmpValue::MakeInteger(mask);
    for (size_t h = 0; h < p.printheads.size() && h < 4; ++h) {
        const SimPrinthead& head = p.printheads[h];
        std::string n = std::to_string(h + 1);
        objects["1.4.1.5.3." + n + ".18"] = QuillText(head.id);
        objects["1.4.1.5.4." + n + ".22"] = QuillText(head.installDate);
        objects["1.4.1.5.3." + n + ".23"] = printheadValue(head.warranty);
        objects["1.4.1.5.3." + n + ".27"] = printheadValue(head.state);
    }
    for (const auto& [id, override] : p.quillOverrides) {
        if (override.kind == "absent")
            objects.erase(id);
        else
            objects[id] = OverrideValue(override);
    }
    return objects;
}

std::map<std::vector<uint32_t>, SnmpValue> BuildSnmpObjects(const PrinterConfig& p,
                                                            const std::map<std::string, SnmpValue>& quillObjects)
{
    std::map<std::vector<uint32_t>, SnmpValue> objects;
    objects[ParseDotted("1.3.6.1.2.1.1.1.0")] = SnmpValue::MakeOctetString(p.model + " (simulated)");
    objects[ParseDotted("1.3.6.1.2.1.1.2.0")] = SnmpValue::MakeOid(*SnmpOid::Parse("1.3.6.1.4.1.48213.2.3.9.1"));
    objects[ParseDotted("1.3.6.1.2.1.1.3.0")] = SnmpValue::MakeUnsigned(SnmpType::TimeTicks, 123456);
    objects[ParseDotted("1.3.6.1.2.1.1.5.0")] = SnmpValue::MakeOctetString(p.name);
    objects[ParseDotted("1.3.6.1.2.1.2.2.1.6.1")] = SnmpValue::MakeBytes(SnmpType::OctetString, MacOctets(p.mac));
    objects[ParseDotted(kModelNameOid)] = SnmpValue::MakeOctetString(p.model);
    objects[ParseDotted(kDeviceIdOid)] = SnmpValue::MakeOctetString(DeviceIdString(p));
    for (const auto& [id, value] : quillObjects) {
        // The model object is read over USB only; over the network the standard one serves.
        if (id != "1.1.3.2")
            objects[QuillIdToOid(id)] = value;
    }
    return objects;
}

} // namespace sim
