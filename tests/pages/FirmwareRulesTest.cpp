#include "pages/FirmwareRules.h"

#include <gtest/gtest.h>

using namespace firmware;

TEST(FirmwareRules, PageCountAndPrintheadNumber)
{
    EXPECT_EQ(PageCountText(0, L"Not available"), L"0");
    EXPECT_EQ(PageCountText(-1, L"Not available"), L"Not available");
    EXPECT_EQ(PageCountText(40211, L"Not available"), L"40211");
    EXPECT_EQ(PageCountText(-2, L"Not available"), L"-2");

    EXPECT_EQ(PrintheadNumberText(L""), L"");
    EXPECT_EQ(PrintheadNumberText(L"ABCDEFGHIJKLMNOPQR"), L"ABCDEFGHIJKLMNOPQR");     // 18: unchanged
    EXPECT_EQ(PrintheadNumberText(L"ABCDEFGHIJKLMNOPQRS"), L"ABCDEFGHIJKLMNOPQR S");  // 19: one blank
    EXPECT_EQ(PrintheadNumberText(std::wstring(40, L'7')), std::wstring(18, L'7') + L" " + std::wstring(22, L'7'));
}

TEST(FirmwareRules, TheLastPrintheadWithANumberShows)
{
    const std::wstring na = L"Not available";
    EXPECT_EQ(ShownPrinthead({L"1", na, na, na}, na), 0u);
    EXPECT_EQ(ShownPrinthead({L"1", L"2", L"3", L"4"}, na), 3u);
    EXPECT_EQ(ShownPrinthead({na, L"2", L"", na}, na), 1u);
    EXPECT_EQ(ShownPrinthead({na, na}, na), 1u) << "none known: the last";
}
