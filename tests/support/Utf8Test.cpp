#include "support/Utf8.h"

#include <gtest/gtest.h>

TEST(Utf8, ConvertsUtf16AndReplacesBrokenSurrogates)
{
    EXPECT_EQ(ToUtf8(L"\u00e9\u4e2d"), "\xc3\xa9\xe4\xb8\xad");
    std::wstring pair;
    pair += static_cast<wchar_t>(0xD83D);
    pair += static_cast<wchar_t>(0xDE00);
    if (sizeof(wchar_t) == 2) {
        EXPECT_EQ(ToUtf8(pair), "\xf0\x9f\x98\x80");
    }
    const std::wstring lone(1, static_cast<wchar_t>(0xDC00));
    EXPECT_EQ(ToUtf8(lone + L"x"), "\xef\xbf\xbdx");
}

TEST(Utf8, EncodesEachLengthAndRefusesNonCharacters)
{
    const struct {
        uint32_t codePoint;
        const char* bytes;
    } cases[] = {
        {0x41, "A"},           {0x7F, "\x7f"},         {0x80, "\xc2\x80"},
        {0x7FF, "\xdf\xbf"},   {0x800, "\xe0\xa0\x80"}, {0xFFFF, "\xef\xbf\xbf"},
        {0x10000, "\xf0\x90\x80\x80"}, {0x10FFFF, "\xf4\x8f\xbf\xbf"},
        {0x110000, "\xef\xbf\xbd"}, {0xD800, "\xef\xbf\xbd"},
    };
    for (const auto& c : cases) {
        std::string out;
        AppendUtf8(out, c.codePoint);
        EXPECT_EQ(out, c.bytes) << c.codePoint;
    }
}
