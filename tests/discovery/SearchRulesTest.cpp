#include <gtest/gtest.h>

#include "discovery/SearchRules.h"

TEST(SearchRules, OnlySuitableDevicesAreListedUnderTheRightName)
{
    const struct {
        FoundPrinter found;
        const wchar_t* listedAs; // null: not listed
    } cases[] = {
        {{0x10, L"LUMORA 7510 series", L"Lumora 7510", L"", L"127.0.0.20", L"7510", L"", 1}, L"LUMORA 7510 series"},
        {{0x11, L"Office printer", L"Kelo Workline 4420", L"", L"127.0.0.21", L"5912", L"Queue", 0},
         L"Kelo Workline 4420"},
        {{0x10, L"Office printer", L"", L"", L"127.0.0.22", L"", L"", 0}, nullptr}, // no second name
        {{0x01, L"Kelo Homeline 2150", L"", L"", L"127.0.0.23", L"2112", L"", 0}, nullptr}, // flag missing
        {{0x10, L"", L"", L"", L"127.0.0.24", L"", L"", 0}, nullptr},
    };
    std::vector<FoundPrinter> found;
    std::vector<std::wstring> expected;
    for (const auto& c : cases) {
        found.push_back(c.found);
        if (c.listedAs != nullptr)
            expected.push_back(c.listedAs);
    }
    const DeviceList records = SearchResultRecords(found);
    std::vector<std::wstring> listed;
    for (const Device_Dev& record : records)
        listed.push_back(record.deviceName);
    EXPECT_EQ(listed, expected);

    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].address, L"127.0.0.21");
    EXPECT_EQ(records[1].productId, L"5912");
    EXPECT_EQ(records[1].printerName, L"Queue");
    EXPECT_TRUE(records[1].isNetwork);
    EXPECT_EQ(records[1].statusCode, -1);
    EXPECT_TRUE(records[1].hardwareId.empty());

    FoundPrinter negative = cases[0].found;
    negative.driverInstalled = -1;
    EXPECT_EQ(SearchResultRecords({negative}).at(0).driverInstalled, 0xFFFFFFFFu) << "sign-extended";
    EXPECT_TRUE(SearchResultRecords({}).empty());
}

TEST(SearchRules, TheBarCreepsAheadOfTheReportsButNotPastTheCap)
{
    const auto creep = [](int32_t reported) {
        int position = 0;
        while (SearchBarSteps(position, reported))
            position += kSearchBarStep;
        return position;
    };
    EXPECT_EQ(creep(0), 30);
    EXPECT_EQ(creep(80), 96);
    EXPECT_EQ(creep(50), 80);
}
