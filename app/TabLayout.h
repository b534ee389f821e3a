#pragma once
// Geometry of the slanted tab strip: where each tab sits and which shape it takes, when the
// scroll buttons show, how scrolling moves the first visible tab, and which tab owns a point.
// Plain C++ so the rules can be tested without windows.
#include <cstdint>
#include <utility>
#include <vector>

namespace TabLayout {

struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const Box&) const = default;
};

struct Spot {
    int x = 0;
    int y = 0;
    bool operator==(const Spot&) const = default;
};

// Shape kinds of a tab.
inline constexpr uint8_t kShapeHidden = 0;          // scrolled out of view: not drawn, not hit
inline constexpr uint8_t kShapeSliverSelected = 1;  // the tab just left of the first visible one
inline constexpr uint8_t kShapeSliver = 2;
inline constexpr uint8_t kShapeSelectedOrLast = 3;
inline constexpr uint8_t kShapeLeftOfSelected = 4;
inline constexpr uint8_t kShapeRightOfSelected = 5;

// Hit values that are not tabs.
inline constexpr int kHitPrevious = -2;
inline constexpr int kHitNext = -3;
inline constexpr int kHitNothing = -6;

struct StripInput {
    int height = 0;       // client height
    int clientWidth = 0;
    std::vector<int> labelWidths;  // each label measured as one line
    int selected = -1;
    int firstVisible = 0;
    bool equalWidth = false;   // every tab as wide as the widest label
    bool autoButtons = false;  // scroll buttons only when the tabs do not fit
    bool bottom = false;       // tabs stand on the lower edge
};

struct TabPlace {
    Box outer;
    Box label;
    uint8_t kind = kShapeHidden;
};

struct StripLayout {
    std::vector<TabPlace> tabs;
    int selected = -1;
    int firstVisible = 0;  // after settling
    bool buttons = false;
    Box previous;
    Box next;
    int tabAreaLeft = 0;
    bool bottom = false;
};

// Lays the tabs out for the input's first visible index, first settled so that no space is left
// empty at the end.
StripLayout Compute(const StripInput& input);

// The first visible index after one step of the previous or the next button.
int ScrollPrevious(const StripInput& input);
int ScrollNext(const StripInput& input);
// The first visible index that shows the tab `index`.
int EnsureVisible(const StripInput& input, int index);

// The filled outline of a tab: four corners, base first; empty for a hidden tab.
std::vector<Spot> Outline(const TabPlace& tab, bool bottom);
// The slanted sides that are drawn in black: two for a tab, one for a sliver.
std::vector<std::pair<Spot, Spot>> SlantedSides(const TabPlace& tab, bool bottom);

// Buttons first, then the tab drawn on top at that point, else kHitNothing.
int HitTest(const StripLayout& layout, Spot point);

} // namespace TabLayout
