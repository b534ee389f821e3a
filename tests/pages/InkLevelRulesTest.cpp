#include "pages/InkLevelRules.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <map>

using namespace inklevel;

namespace {

// The English colour names, as the string table gives them.
std::wstring English(const wchar_t* key)
{
    static const std::map<std::wstring, std::wstring> names = {
        {L"TSY_COLOR_BLACK", L"Black"},           {L"TSY_COLOR_YELLOW", L"Yellow"},
        {L"TSY_COLOR_CYAN", L"Cyan"},             {L"TSY_COLOR_MAGENTA", L"Magenta"},
        {L"TSY_COLOR_PHOTO_BLACK", L"Photo Black"}, {L"TSY_COLOR_LIGHT_CYAN", L"Light Cyan"},
        {L"TSY_COLOR_LIGHT_MAGENTA", L"Light Magenta"}, {L"TSY_COLOR_LIGHT_GRAY", L"Light Gray"},
        {L"TSY_COLOR_TRICOLOR", L"Tri-color"},
    };
    const auto found = names.find(key);
    return found == names.end() ? std::wstring() : found->second;
}

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kCyan{0, 255, 255};
constexpr Rgb kMagenta{139, 0, 139};
constexpr Rgb kYellow{255, 255, 0};

// A consumable cell as the list gives it: 170 px wide, 17 px high.
constexpr Rect kCell{230, 40, 400, 57};

} // namespace

TEST(InkLevelRules, TheBarOfEachLevelText)
{
    // The outline is the cell less 40 px on the right: 130 px, so the inner width is 126 px.
    EXPECT_EQ(BarOutline(kCell), (Rect{230, 40, 360, 57}));
    struct Case {
        const wchar_t* level;
        int fillRight; // 0: nothing filled
    } const cases[] = {
        {L"0", 0},
        {L"", 0},
        {L"n/a", 0},
        {L"-5", 0},        // no leading digits
        {L"37", 232 + 37 * 126 / 100},
        {L"37%", 232 + 37 * 126 / 100},
        {L"100", 358},     // the inner right edge
        {L"150", 358},     // more stays inside the outline
        {L"99999999999999999999", 358},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "level \"" << std::string(c.level, c.level + wcslen(c.level)) << "\"");
        const auto fill = BarFill(BarOutline(kCell), c.level);
        if (c.fillRight == 0) {
            EXPECT_FALSE(fill.has_value());
            EXPECT_TRUE(LevelBar(kCell, L"Black", c.level, English).empty()) << "only the outline shows";
            continue;
        }
        ASSERT_TRUE(fill.has_value());
        EXPECT_EQ(*fill, (Rect{232, 42, c.fillRight, 55}));
        EXPECT_EQ(LevelBar(kCell, L"Black", c.level, English), (std::vector<Band>{{*fill, kBlack}}));
    }
    EXPECT_EQ(LevelValue(L"42 percent"), 42);
    // A cell too small for a bar paints nothing.
    EXPECT_FALSE(BarFill({0, 0, 4, 17}, L"50").has_value());
}

TEST(InkLevelRules, TheColourOfEachNameWithoutRegardToCase)
{
    struct Case {
        const wchar_t* name;
        std::vector<Rgb> colours;
    } const cases[] = {
        {L"BLACK", {kBlack}},
        {L"yellow", {kYellow}},
        {L"Cyan", {kCyan}},
        {L"mAgEnTa", {kMagenta}},
        {L"photo black", {kBlack}},
        {L"LIGHT CYAN", {{112, 255, 255}}},
        {L"light magenta", {{224, 93, 161}}},
        {L"Light Gray", {{211, 211, 211}}},
        {L"TRI-COLOR", {kCyan, kMagenta, kYellow}},
        {L"Violet", {}},
        {L"", {}}, // a key missing from the string file names no colour either
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + wcslen(c.name)));
        EXPECT_EQ(BarColours(c.name, English), c.colours);
    }
    // An unknown colour leaves the fill unpainted.
    EXPECT_TRUE(LevelBar(kCell, L"Violet", L"80", English).empty());
}

TEST(InkLevelRules, TriColourBandsSitOnePixelLowerThanThirds)
{
    // 13 px high: h = 4; bands 4, 5 and 4 px.
    const Rect fill{232, 42, 300, 55};
    const auto bands = LevelBar(kCell, L"Tri-color", L"54", English);
    ASSERT_EQ(bands.size(), 3u);
    EXPECT_EQ(bands[0], (Band{{232, 42, 300, 46}, kCyan}));
    EXPECT_EQ(bands[1], (Band{{232, 46, 300, 51}, kMagenta}));
    EXPECT_EQ(bands[2], (Band{{232, 51, 300, 55}, kYellow}));
    EXPECT_EQ(bands[0].rect.right, fill.right);
    // 12 px high: h = 4; the bottom band is the shorter one.
    const auto even = BarBands({0, 0, 10, 12}, {kCyan, kMagenta, kYellow});
    EXPECT_EQ(even[1].rect, (Rect{0, 4, 10, 9}));
    EXPECT_EQ(even[2].rect, (Rect{0, 9, 10, 12}));
    // 2 px high: no band leaves the fill.
    for (const Band& band : BarBands({0, 0, 10, 2}, {kCyan, kMagenta, kYellow}))
        EXPECT_LE(band.rect.bottom, 2);
}

TEST(InkLevelRules, RowsAndColumns)
{
    EXPECT_EQ(CellKindOf(0), CellKind::ColourName);
    EXPECT_EQ(CellKindOf(1), CellKind::Nothing);
    EXPECT_EQ(CellKindOf(2), CellKind::LevelBar);
    for (int row = 3; row <= 10; ++row)
        EXPECT_EQ(CellKindOf(row), CellKind::Text) << row;
    EXPECT_EQ(CellKindOf(11), CellKind::Nothing);
    EXPECT_EQ(CellKindOf(-1), CellKind::Nothing);
    EXPECT_EQ(std::wstring(kRowLabelKeys[2]), L"");

    // Column i shows record i - 1; the label column and columns past the records show none.
    EXPECT_EQ(ConsumableIndex(1, 4), std::optional<size_t>(0));
    EXPECT_EQ(ConsumableIndex(4, 4), std::optional<size_t>(3));
    EXPECT_FALSE(ConsumableIndex(5, 4).has_value());
    EXPECT_FALSE(ConsumableIndex(0, 4).has_value());
    EXPECT_FALSE(ConsumableIndex(1, 0).has_value());
    EXPECT_FALSE(ConsumableIndex(-3, 4).has_value());
}
