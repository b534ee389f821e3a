#include <gtest/gtest.h>

#include "app/TabLayout.h"

using namespace TabLayout;

namespace {

constexpr int kHeight = 23;  // half height 11, tab rectangle height 21

// Four short labels in a wide strip with the main window's styles.
StripInput ShortTabs(int selected = 0)
{
    StripInput input;
    input.height = kHeight;
    input.clientWidth = 600;
    input.labelWidths = {40, 60, 50, 45};
    input.selected = selected;
    input.equalWidth = input.autoButtons = input.bottom = true;
    return input;
}

// Five tabs of 177 pixels that step by 166: the last ends at 841 before scrolling.
StripInput LongTabs(int selected, int first, int clientWidth = 400)
{
    StripInput input = ShortTabs(selected);
    input.clientWidth = clientWidth;
    input.labelWidths = {150, 150, 150, 150, 150};
    input.firstVisible = first;
    return input;
}

std::vector<int> Kinds(const StripLayout& layout)
{
    std::vector<int> kinds;
    for (const TabPlace& tab : layout.tabs)
        kinds.push_back(tab.kind);
    return kinds;
}

} // namespace

TEST(TabLayout, ShortLabelsFitWithoutButtonsAndShareTheWidestWidth)
{
    const StripLayout layout = Compute(ShortTabs());
    EXPECT_FALSE(layout.buttons);
    EXPECT_EQ(layout.tabAreaLeft, 0);
    ASSERT_EQ(layout.tabs.size(), 4u);
    // Width H + W + 4 = 87; each tab starts half the height before the previous one ends.
    const int lefts[] = {0, 76, 152, 228};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(layout.tabs[i].outer, (Box{lefts[i], 0, lefts[i] + 87, 21})) << i;
        EXPECT_EQ(layout.tabs[i].label, (Box{lefts[i] + 11, 0, lefts[i] + 11 + 64, 21})) << i;
    }
}

TEST(TabLayout, StyleBitsChangeWidthsButtonsAndEdge)
{
    StripInput own = ShortTabs();
    own.equalWidth = false;
    const StripLayout ownLayout = Compute(own);
    EXPECT_EQ(ownLayout.tabs[0].outer, (Box{0, 0, 67, 21}));
    EXPECT_EQ(ownLayout.tabs[1].outer, (Box{56, 0, 143, 21}));

    // Without the "only when needed" bit the buttons are always there and the tabs follow them.
    StripInput always = ShortTabs();
    always.autoButtons = false;
    const StripLayout alwaysLayout = Compute(always);
    EXPECT_TRUE(alwaysLayout.buttons);
    EXPECT_EQ(alwaysLayout.tabAreaLeft, 43);
    EXPECT_EQ(alwaysLayout.tabs[0].outer.left, 43);

    // A strip below its pages hangs its tabs from the upper edge.
    StripInput hanging = ShortTabs();
    hanging.bottom = false;
    const StripLayout hangingLayout = Compute(hanging);
    EXPECT_EQ(hangingLayout.tabs[0].outer, (Box{0, 2, 87, 23}));
    EXPECT_EQ(Outline(hangingLayout.tabs[0], false), (std::vector<Spot>{{0, 2}, {10, 23}, {77, 23}, {87, 2}}));

    const StripLayout standing = Compute(ShortTabs());
    EXPECT_EQ(Outline(standing.tabs[0], true), (std::vector<Spot>{{0, 21}, {10, 0}, {77, 0}, {87, 21}}));
}

TEST(TabLayout, ButtonsAppearAtTheLeftOnlyWhenTheTabsDoNotFit)
{
    const StripLayout layout = Compute(LongTabs(0, 0));
    EXPECT_TRUE(layout.buttons);
    EXPECT_EQ(layout.previous, (Box{0, 0, 22, 21}));
    EXPECT_EQ(layout.next, (Box{21, 0, 43, 21}));
    EXPECT_EQ(layout.tabAreaLeft, 2 * (kHeight - 3) + 3);
    EXPECT_EQ(layout.tabs[0].outer.left, 43);

    // One tab never needs buttons, however long its label.
    StripInput single = LongTabs(0, 0, 100);
    single.labelWidths = {500};
    EXPECT_FALSE(Compute(single).buttons);
}

TEST(TabLayout, NextMovesOneTabPerStepUntilTheLastTabEndsInside)
{
    // The last tab ends at 884, 718, 552, 386 for first visible 0 to 3.
    int first = 0;
    std::vector<int> steps;
    for (int step = 0; step < 6; ++step) {
        first = ScrollNext(LongTabs(0, first));
        steps.push_back(first);
    }
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 3, 3, 3, 3}));
    const StripLayout end = Compute(LongTabs(0, 3));
    EXPECT_EQ(end.tabs[4].outer.right, 386);

    EXPECT_EQ(ScrollPrevious(LongTabs(0, 3)), 2);
    EXPECT_EQ(ScrollPrevious(LongTabs(0, 0)), 0);
}

TEST(TabLayout, ShapeKindsFollowSelectionAndScrollPosition)
{
    struct Case {
        int selected;
        int first;
        std::vector<int> kinds;
    } cases[] = {
        {0, 0, {3, 5, 5, 5, 3}},
        {2, 0, {4, 4, 3, 5, 3}},
        {-1, 0, {5, 5, 5, 5, 3}},
        {0, 3, {0, 0, 2, 5, 3}},  // the selected tab scrolled out of view entirely
        {2, 3, {0, 0, 1, 5, 3}},  // the selected tab is the sliver
        {4, 3, {0, 0, 2, 4, 3}},
        {4, 1, {2, 4, 4, 4, 3}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Kinds(Compute(LongTabs(c.selected, c.first))), c.kinds) << c.selected << "/" << c.first;
}

TEST(TabLayout, TheSliverIsHalfTheHeightWideAtTheStartOfTheTabArea)
{
    const StripLayout layout = Compute(LongTabs(0, 3));
    EXPECT_EQ(layout.tabs[2].outer, (Box{43, 0, 54, 21}));
    // The visible tabs move left by what the hidden tabs and the sliver took.
    EXPECT_EQ(layout.tabs[3].outer, (Box{43, 0, 220, 21}));
    EXPECT_EQ(layout.tabs[4].outer, (Box{209, 0, 386, 21}));
    // Drawn as one slanted line: the right end of the tab scrolled away.
    const auto sides = SlantedSides(layout.tabs[2], true);
    ASSERT_EQ(sides.size(), 1u);
    EXPECT_EQ(sides[0], (std::pair<Spot, Spot>{{44, 0}, {54, 21}}));
    EXPECT_EQ(SlantedSides(layout.tabs[3], true).size(), 2u);
    EXPECT_TRUE(Outline(layout.tabs[0], true).empty());
}

TEST(TabLayout, EnsureVisibleScrollsToTheTabAndNeverLeavesTheEndEmpty)
{
    EXPECT_EQ(EnsureVisible(LongTabs(0, 0), 1), 0);  // already inside
    EXPECT_EQ(EnsureVisible(LongTabs(0, 0), 4), 3);
    EXPECT_EQ(EnsureVisible(LongTabs(0, 0), 3), 2);  // ends at 552 - 166 = 386 from first 2
    EXPECT_EQ(EnsureVisible(LongTabs(0, 3), 2), 2);  // the sliver: one step back
    EXPECT_EQ(EnsureVisible(LongTabs(0, 3), 0), 0);
    EXPECT_EQ(EnsureVisible(LongTabs(0, 2), 9), 2);  // no such tab

    // A wider strip, a scroll position beyond the end, or tabs that fit all step back.
    EXPECT_EQ(Compute(LongTabs(0, 3, 600)).firstVisible, 2);
    EXPECT_EQ(Compute(LongTabs(0, 4)).firstVisible, 3);
    EXPECT_EQ(Compute(LongTabs(0, 3, 2000)).firstVisible, 0);
    EXPECT_EQ(ScrollNext(LongTabs(0, 2, 600)), 2);
    StripInput shortScrolled = ShortTabs();
    shortScrolled.firstVisible = 2;
    EXPECT_EQ(Compute(shortScrolled).firstVisible, 0);
}

TEST(TabLayout, HitTestGivesOverlapsToTheTabDrawnOnTop)
{
    // Tabs 1 (76..163) and 2 (152..239) overlap between 152 and 163; near the base both
    // contain x 157, near the top neither does.
    const Spot overlap{157, 19};
    const Spot gap{157, 1};
    struct Case {
        int selected;
        Spot point;
        int hit;
    } cases[] = {
        {0, overlap, 1},  // the lower index is drawn later
        {2, overlap, 2},  // the selected tab covers both neighbours
        {1, overlap, 1},
        {0, gap, kHitNothing},
        {0, {100, 10}, 1},
        {0, {100, 21}, kHitNothing},  // below the tabs
        {0, {400, 10}, kHitNothing},  // right of the last tab
    };
    for (const Case& c : cases)
        EXPECT_EQ(HitTest(Compute(ShortTabs(c.selected)), c.point), c.hit) << c.selected << " " << c.point.x;

    // Buttons come first; the shared edge pixel belongs to the previous button.
    const StripLayout scrolled = Compute(LongTabs(4, 3));
    EXPECT_EQ(HitTest(scrolled, {5, 5}), kHitPrevious);
    EXPECT_EQ(HitTest(scrolled, {21, 5}), kHitPrevious);
    EXPECT_EQ(HitTest(scrolled, {30, 5}), kHitNext);
    EXPECT_EQ(HitTest(scrolled, {44, 15}), 2);  // the sliver
    EXPECT_EQ(HitTest(scrolled, {215, 15}), 4);  // the selected tab over tab 3's right slant
    EXPECT_EQ(HitTest(scrolled, {100, 10}), 3);
}
