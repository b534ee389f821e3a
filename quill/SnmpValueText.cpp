#include "quill/SnmpValueText.h"

#include <cinttypes>
#include <cstdio>

namespace {

bool IsPrintable(uint8_t byte)
{
    return (byte >= 0x20 && byte <= 0x7E) || byte == '\n' || byte == '\r';
}

std::string OctetsToText(const std::vector<uint8_t>& bytes)
{
    std::string text;
    for (uint8_t byte : bytes) {
        if (text.size() == kSnmpValueTextMax)
            return text;
        if (!IsPrintable(byte))
            break;
        text += static_cast<char>(byte);
    }
    if (text.size() == bytes.size())
        return text;
    // Not text after all: the whole value in hexadecimal, as far as the buffer allows.
    static const char kDigits[] = "0123456789ABCDEF";
    text.clear();
    for (size_t i = 0; i < bytes.size() && text.size() < kSnmpValueTextMax; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0xF];
        text += '-';
    }
    text.pop_back();
    return text;
}

std::string DottedBytes(const std::vector<uint8_t>& bytes)
{
    std::string text;
    for (uint8_t byte : bytes) {
        std::string part = std::to_string(byte) + ".";
        if (text.size() + part.size() > kSnmpValueTextMax + 1)
            break;
        text += part;
    }
    if (!text.empty())
        text.pop_back();
    return text.substr(0, kSnmpValueTextMax);
}

std::string TimeTicksText(uint32_t ticks)
{
    const uint32_t seconds = ticks / 100;
    char text[64];
    std::snprintf(text, sizeof text, "%" PRIu32 ",%" PRIu32 ":%" PRIu32 ":%" PRIu32 ".%" PRIu32, seconds / 86400,
                  (seconds % 86400) / 3600, (seconds % 3600) / 60, seconds % 60, ticks % 100);
    return text;
}

} // namespace

std::string SnmpValueToText(const SnmpValue& value)
{
    switch (value.type) {
    case SnmpType::Integer:
        return std::to_string(value.integer);
    case SnmpType::OctetString:
    case SnmpType::Opaque:
        return value.bytes.empty() ? std::string() : OctetsToText(value.bytes);
    case SnmpType::ObjectIdentifier:
        return value.oid.Format().substr(0, kSnmpValueTextMax);
    case SnmpType::IpAddress:
    case SnmpType::NsapAddr:
        return DottedBytes(value.bytes);
    case SnmpType::Counter32:
    case SnmpType::Gauge32:
        return std::to_string(static_cast<uint32_t>(value.unsignedValue));
    case SnmpType::TimeTicks:
        return TimeTicksText(static_cast<uint32_t>(value.unsignedValue));
    case SnmpType::Counter64:
        return std::to_string(value.unsignedValue);
    default:
        return {};
    }
}
