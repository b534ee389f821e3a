#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "quill/SnmpValueText.h"

namespace {

SnmpValue Octets(std::vector<uint8_t> bytes, SnmpType type = SnmpType::OctetString)
{
    return SnmpValue::MakeBytes(type, std::move(bytes));
}

TEST(SnmpValueToText, RendersEveryValueType)
{
    const struct {
        const char* what;
        SnmpValue value;
        std::string expected;
    } cases[] = {
        {"text", SnmpValue::MakeOctetString("Hello"), "Hello"},
        {"line breaks are text", SnmpValue::MakeOctetString("a\r\nb"), "a\r\nb"},
        {"control bytes", Octets({0x01, 0x15, 0x41, 0x42}), "01-15-41-42"},
        {"opaque follows octet strings", Octets({0x00, 0xFF}, SnmpType::Opaque), "00-FF"},
        {"empty string", Octets({}), ""},
        {"empty address", Octets({}, SnmpType::IpAddress), ""},
        {"address", Octets({0xC0, 0xA8, 0x01, 0x02}, SnmpType::IpAddress), "192.168.1.2"},
        {"nsap address", Octets({1, 2, 3}, SnmpType::NsapAddr), "1.2.3"},
        {"ticks zero", SnmpValue::MakeUnsigned(SnmpType::TimeTicks, 0), "0,0:0:0.0"},
        {"ticks", SnmpValue::MakeUnsigned(SnmpType::TimeTicks, 123456), "0,0:20:34.56"},
        {"ticks one day", SnmpValue::MakeUnsigned(SnmpType::TimeTicks, 8640000), "1,0:0:0.0"},
        {"counter64", SnmpValue::MakeUnsigned(SnmpType::Counter64, 1ull << 32), "4294967296"},
        {"negative integer", SnmpValue::MakeInteger(-5), "-5"},
        {"counter32 maximum", SnmpValue::MakeUnsigned(SnmpType::Counter32, 4294967295u), "4294967295"},
        {"gauge", SnmpValue::MakeUnsigned(SnmpType::Gauge32, 7), "7"},
        {"object identifier", SnmpValue::MakeOid(*SnmpOid::Parse("1.3.6.1.4.1.48213")), "1.3.6.1.4.1.48213"},
        {"null", SnmpValue::MakeNull(), ""},
        {"unsigned32 tag", SnmpValue::MakeUnsigned(SnmpType::UInteger32, 9), ""},
        {"no such object", SnmpValue::MakeException(SnmpType::NoSuchObject), ""},
        {"no such instance", SnmpValue::MakeException(SnmpType::NoSuchInstance), ""},
        {"end of view", SnmpValue::MakeException(SnmpType::EndOfMibView), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SnmpValueToText(c.value), c.expected) << c.what;
}

TEST(SnmpValueToText, LongValuesStopAtTheBuffer)
{
    const std::string printable(300, 'x');
    EXPECT_EQ(SnmpValueToText(SnmpValue::MakeOctetString(printable)), std::string(255, 'x'));

    // A control byte anywhere in the first 255 bytes turns the whole value into 85 hex bytes.
    std::vector<uint8_t> mixed(100, 'A');
    mixed[90] = 0x07;
    const std::string hex = SnmpValueToText(Octets(mixed));
    ASSERT_EQ(hex.size(), 254u);
    EXPECT_EQ(hex.substr(0, 6), "41-41-");
    EXPECT_EQ(hex.substr(hex.size() - 3), "-41");

    // Beyond the first 255 bytes a control byte is never looked at.
    std::vector<uint8_t> lateControl(300, 'B');
    lateControl[280] = 0x01;
    EXPECT_EQ(SnmpValueToText(Octets(lateControl)), std::string(255, 'B'));
}

} // namespace
