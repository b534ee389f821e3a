#include <gtest/gtest.h>

#include "discovery/DeviceIdStatus.h"

namespace {

// Sixteen digits of other state, then the status pair, then more.
std::wstring StatusValue(const std::wstring& pair)
{
    return L"0380008000020020" + pair + L"000000000000";
}

} // namespace

TEST(DeviceIdStatus, FieldsMatchOnlyAtTheStartOrAfterASeparator)
{
    const std::wstring id = L"MFG:Kelo;MDL:Vireo 4500;CLS:PRINTER;DES:2312;S:" + StatusValue(L"1f") + L";Z:0102";
    EXPECT_EQ(GetIdField(L"S", id), StatusValue(L"1f")) << "CLS: ends in S: but is not the status field";
    EXPECT_EQ(GetIdField(L"MDL:", id), L"Vireo 4500");
    EXPECT_EQ(GetIdField(L"Z", id), L"0102") << "the last field needs no separator";
    EXPECT_EQ(GetIdField(L"MFG", id), L"Kelo");
    EXPECT_EQ(GetIdField(L"SN", id), L"");
    EXPECT_EQ(GetIdField(L"S", L"S:" + StatusValue(L"05")), StatusValue(L"05")) << "a text that begins with S:";
    EXPECT_EQ(GetIdField(L"S", L"MFG:Kelo;CLS:PRINTER;"), L"") << "only CLS: holds S:";
}

TEST(DeviceIdStatus, TheNinthDigitPairIsTheCode)
{
    struct Case {
        std::wstring value;
        int32_t code;
    };
    const Case cases[] = {
        {StatusValue(L"1f"), 31},
        {StatusValue(L"1F"), 31},
        {StatusValue(L"3d"), 61},
        {StatusValue(L"3e"), 6},
        {StatusValue(L"ff"), 6},
        {StatusValue(L"00"), 0},
        {StatusValue(L"1g"), 1},
        {StatusValue(L"g1"), 0},
        {L"0380008000020020" L"2", 2},     // one digit left
        {L"03800080000200", 0},            // too short
        {L"", 0},
        {L"S:" + StatusValue(L"0e"), 14},  // already prefixed
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseStatusField(c.value), c.code) << std::string(c.value.begin(), c.value.end());
}

TEST(DeviceIdStatus, IdentificationWithoutStatusMeansNoError)
{
    EXPECT_EQ(StatusCodeFromIdentification(L"MFG:Kelo;MDL:Corvid;CLS:PRINTER;"), 0);
    EXPECT_EQ(StatusCodeFromIdentification(L"MFG:Kelo;S:" + StatusValue(L"0e") + L";"), 14);
}

TEST(DeviceIdStatus, ALengthInFrontIsSkippedOnlyWhenItFitsTheReply)
{
    using namespace std::string_literals;
    const std::string id = "MFG:Kelo;S:038000800002002" "0e;";
    auto withLength = [&](size_t length, const std::string& tail) {
        return std::string{static_cast<char>(length >> 8), static_cast<char>(length & 0xFF)} + id + tail;
    };
    struct Case {
        std::string reply;
        std::string bytes;
    };
    const Case cases[] = {
        {id, id},                                    // already stripped by the driver
        {id + '\0', id + '\0'},
        {withLength(id.size() + 2, ""), id},         // the length counts its own two bytes
        {withLength(id.size() + 2, "\0"s), id + '\0'},
        {withLength(id.size(), ""), id},             // or only the text
        {withLength(id.size() + 3, "\0"s), id + '\0'}, // or the terminating zero too
        {withLength(id.size() - 1, ""), withLength(id.size() - 1, "")}, // shorter than the text
        {withLength(id.size() + 5, ""), withLength(id.size() + 5, "")}, // longer than the reply
        {"\x01"s, "\x01"s},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IdentificationBytes(c.reply), c.bytes) << c.reply.size();
}
