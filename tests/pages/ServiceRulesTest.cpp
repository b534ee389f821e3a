#include "pages/ServiceRules.h"

#include <gtest/gtest.h>

#include <cwchar>

using namespace services;

TEST(ServiceRules, ExclusionListsAndRowStates)
{
    struct Case {
        const wchar_t* productId;
        bool quality, alignment, cleaning; // excluded
    } const cases[] = {
        {L"b311", false, true, true},
        {L"AA11", false, true, true}, // any case
        {L"9311", true, false, false},
        {L"A011", true, false, false},
        {L"5912", false, false, false},
        {L"7511", false, false, false},
        {L"", false, false, false}, // an unknown product is on no list
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.productId, c.productId + wcslen(c.productId)));
        EXPECT_EQ(Excluded(Service::PrintQuality, c.productId), c.quality);
        EXPECT_EQ(Excluded(Service::Alignment, c.productId), c.alignment);
        EXPECT_EQ(Excluded(Service::Cleaning, c.productId), c.cleaning);
    }

    // A product on the alignment list greys rows 2 and 3 and keeps row 1; row 4 follows the
    // catalogue.
    using S = RowState;
    EXPECT_EQ(RowStates(L"b311", true), (std::array<S, 4>{S{true, true}, S{true, false}, S{true, false}, S{true, true}}));
    EXPECT_EQ(RowStates(L"5912", false),
              (std::array<S, 4>{S{true, true}, S{true, true}, S{true, true}, S{false, false}}));
    EXPECT_EQ(RowStates(L"9311", true).front(), (S{true, false}));
}
