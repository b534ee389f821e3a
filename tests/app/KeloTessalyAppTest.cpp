#include <gtest/gtest.h>

#include <algorithm>

#include "TestFolder.h"
#include "app/GdiplusSupport.h"
#include "app/KeloTessalyApp.h"
#include "res/resource.h"
#include "support/LogFile.h"

namespace {

class FakeAdv : public NGWinApi::CAdvApi {
public:
    BOOL AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD sub0, DWORD sub1,
                                  DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, PSID* sid) override
    {
        const BYTE nt[6] = {0, 0, 0, 0, 0, 5};
        askedForAdministrators = std::equal(nt, nt + 6, authority->Value) && count == 2 && sub0 == 32 &&
                                 sub1 == 544;
        if (!allocates)
            return FALSE;
        *sid = &fakeSid;
        return TRUE;
    }
    PVOID FreeSid(PSID sid) override
    {
        freed = sid == &fakeSid;
        return nullptr;
    }
    BOOL CheckTokenMembership(HANDLE, PSID, PBOOL isMember) override
    {
        *isMember = member;
        return checks;
    }

    bool allocates = true, checks = true;
    BOOL member = TRUE;
    bool askedForAdministrators = false, freed = false;
    int fakeSid = 0;
};

} // namespace

TEST(CheckAdministrator, AsksForTheAdministratorsGroupAndLogsEveryRefusal)
{
    const struct {
        bool allocates, checks;
        BOOL member;
        bool expected;
        const char* log;
    } cases[] = {
        {true, true, TRUE, true, nullptr},
        {true, true, FALSE, false, "):Not Logged in as administrator.\r\n"},
        {true, false, TRUE, false, "):CheckTokenMembership  function failed.\r\n"},
        {false, true, TRUE, false, "):AllocateAndInitializeSid  function failed.\r\n"},
    };
    for (const auto& c : cases) {
        FakeAdv adv;
        adv.allocates = c.allocates;
        adv.checks = c.checks;
        adv.member = c.member;
        NGWinApi::ScopedApi<NGWinApi::CAdvApi> scoped(adv);
        LogTail log;
        EXPECT_EQ(theApp.CheckAdministrator(), c.expected);
        EXPECT_TRUE(adv.askedForAdministrators);
        EXPECT_EQ(adv.freed, c.allocates);
        if (c.log != nullptr) {
            EXPECT_NE(log.Appended().find(c.log), std::string::npos) << c.log;
        }
        if (!c.checks) {
            EXPECT_NE(log.Appended().find("):Not Logged in as administrator.\r\n"), std::string::npos);
        }
    }
}

TEST(CheckAdministrator, WineRunsUsAsAdministrator)
{
    EXPECT_TRUE(theApp.CheckAdministrator());
}

TEST(LoadPngResource, DecodesEveryPictureAtItsSize)
{
    NGWinApi::ComInitialization com;
    GdiplusSession gdiplus;
    ASSERT_TRUE(gdiplus.ok());
    const struct {
        UINT id;
        int width, height;
    } cases[] = {
        {IDP_MAIN_BACKGROUND, 756, 542},       {IDP_PAGE_WHITE, 756, 540},
        {IDP_EXPECTED_SIX_COLOUR, 480, 489},   {IDP_EXPECTED_FOUR_COLOUR, 613, 408},
        {IDP_EXPECTED_COLOUR_BOXES, 588, 421}, {IDP_STEP_FAILED, 30, 30},
        {IDP_STEP_PASSED, 30, 30},             {IDP_STEP_CURRENT, 30, 30},
    };
    for (const auto& c : cases) {
        NGWinApi::UniqueBitmap bitmap(theApp.LoadPngResource(c.id));
        ASSERT_TRUE(bitmap) << c.id;
        BITMAP info = {};
        ::GetObjectW(bitmap.get(), sizeof info, &info);
        EXPECT_EQ(info.bmWidth, c.width) << c.id;
        EXPECT_EQ(info.bmHeight, c.height) << c.id;
    }
    EXPECT_EQ(theApp.LoadPngResource(IDB_STEP_NOTRUN), nullptr); // a bitmap, not a PNG
    EXPECT_EQ(theApp.LoadPngResource(4242), nullptr);
}
