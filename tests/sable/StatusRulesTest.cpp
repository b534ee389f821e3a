#include "sable/StatusRules.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>

namespace sable {

void PrintTo(const StatusOutcome& o, std::ostream* out)
{
    *out << o.statusCode << (o.adfStatus ? " adf" : "") << (o.pass ? " passed" : " failed");
}

} // namespace sable

using sable::StatusOutcome;

namespace {

constexpr StatusOutcome kPass{0, false, true};

StatusOutcome Feeder(int32_t code)
{
    return {code, true, false};
}

StatusOutcome Printer(int32_t code)
{
    return {code, false, false};
}

} // namespace

TEST(StatusRules, LowestFeederBitWithinTheLowByteElseTheWholeWord)
{
    const struct {
        int32_t value;
        int32_t bit;
    } cases[] = {
        {0x01, 0}, {0x10, 4}, {0x12, 1}, {0x18, 3}, {0x80, 7}, {0xF0, 4}, {0x1FF, 0},
        {0x100, 0x100}, {0x3000, 0x3000}, {0, 0},
        {-1, 0}, {INT_MIN, INT_MIN}, {-256, -256}, {-240, 4}, // negative words by their bits
    };
    for (const auto& c : cases)
        EXPECT_EQ(sable::LowestFeederBit(c.value), c.bit) << c.value;
}

TEST(StatusRules, FeederWordPassesWhenClearOrIdle)
{
    const struct {
        int32_t value;
        StatusOutcome outcome;
    } cases[] = {
        {0, kPass},          {0x10, kPass},       {0x30, kPass},        {-240, kPass},
        {0x12, Feeder(1)},   {0x01, Feeder(0)},   {0x08, Feeder(3)},    {0x80, Feeder(7)},
        {0x200, Feeder(0x200)}, {INT_MIN, Feeder(INT_MIN)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sable::FeederOutcome(c.value), c.outcome) << c.value;
}

TEST(StatusRules, DecimalTextIsReadLikeTheCLibrary)
{
    const struct {
        const wchar_t* text;
        int32_t value;
    } cases[] = {
        {L"0", 0},          {L"31", 31},        {L"  14", 14},     {L"+7", 7},       {L"-1", -1},
        {L"12abc", 12},     {L"abc", 0},        {L"", 0},          {L"-", 0},        {L"- 5", 0},
        {L"2147483647", INT_MAX},  {L"2147483648", INT_MAX},  {L"99999999999999999999999", INT_MAX},
        {L"-2147483648", INT_MIN}, {L"-99999999999999999999999", INT_MIN},
        {L"\x0661\x0662", 0}, // digits of other scripts are no decimal digits here
    };
    for (const auto& c : cases)
        EXPECT_EQ(sable::DecimalTextValue(c.text), c.value) << c.text;
}

TEST(StatusRules, FeederTextDigitsAreReadAgainAsHexadecimal)
{
    const struct {
        const wchar_t* text;
        int32_t value;
    } cases[] = {
        {L"10", 0x10},       {L"0010", 0x10},     {L"0012", 0x12},   {L"0", 0},         {L"", 0},
        {L"1A", 0x1},        // the decimal reading stops at the letter
        {L"A0", 0},          {L"not a number", 0},
        {L"-10", -0x10},     {L"  99", 0x99},
        {L"7fffffff", 0x7},
        {L"12345678", 0x12345678},
        {L"99999999", INT_MAX}, // 0x99999999 is past the 32-bit range
        {L"2147483647", INT_MAX}, {L"-2147483648", INT_MIN}, {L"-99999999999", INT_MIN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sable::FeederValueFromText(c.text), c.value) << c.text;
}

TEST(StatusRules, NetworkSableFlags)
{
    const struct {
        int32_t flag;
        StatusOutcome outcome;
    } cases[] = {
        {0, kPass},         {1, Printer(1)},    {6, Printer(6)},    {14, Printer(14)},
        {61, Printer(61)},  {62, Feeder(0)},    {64, Feeder(2)},    {65, Feeder(3)},
        {-1, Printer(-1)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sable::NetworkSableOutcome(c.flag), c.outcome) << c.flag;
}

TEST(StatusRules, UsbFeederCheckFailsOnlyForFeederConditionsAndJams)
{
    const struct {
        bool read;
        int32_t flag;
        StatusOutcome outcome;
    } cases[] = {
        {true, 14, Feeder(3)},  // a paper jam of a feeder device is its feeder jamming
        {true, 65, Feeder(3)},  {true, 64, Feeder(2)},  {true, 62, Feeder(0)},
        {true, 49, kPass},      {true, 6, kPass},       {true, 15, kPass},  {true, 61, kPass},
        {true, 0, kPass},
        {false, 65, kPass},     {false, 14, kPass},     // nothing read: nothing to hold against it
    };
    for (const auto& c : cases)
        EXPECT_EQ(sable::UsbSableFeederOutcome(c.read, c.flag), c.outcome) << c.read << " " << c.flag;
}
