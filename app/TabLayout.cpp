#include "app/TabLayout.h"

#include <algorithm>

namespace TabLayout {

namespace {

// Positions before scrolling: each tab overlaps the next by half the strip height.
struct Strip {
    std::vector<int> x;      // left edge of every tab
    std::vector<int> width;  // outer width of every tab
    std::vector<int> labelWidth;
    int lastRight = 0;
    bool buttons = false;
    int offset = 0;  // where the tab area starts
};

Strip Measure(const StripInput& input)
{
    Strip strip;
    const int h = input.height;
    const size_t count = input.labelWidths.size();
    int widest = 0;
    for (int w : input.labelWidths)
        widest = std::max(widest, w);
    int x = 0;
    for (size_t i = 0; i < count; ++i) {
        const int labelWidth = input.equalWidth ? widest : input.labelWidths[i];
        const int width = h + labelWidth + 4;
        strip.x.push_back(x);
        strip.width.push_back(width);
        strip.labelWidth.push_back(labelWidth);
        strip.lastRight = x + width;
        x += width - h / 2;
    }
    strip.buttons = input.autoButtons ? count >= 2 && strip.lastRight > input.clientWidth : true;
    strip.offset = strip.buttons ? 2 * (h - 3) + 3 : 0;
    return strip;
}

int Count(const Strip& strip) { return static_cast<int>(strip.x.size()); }

// Right end of tab `index` when `first` is the first visible tab.
int RightEnd(const Strip& strip, int index, int first)
{
    return strip.x[index] + strip.width[index] - strip.x[first] + strip.offset;
}

// Steps back while the last tab would still fit, so the end of the strip is never left empty.
int Settle(const Strip& strip, const StripInput& input, int first)
{
    const int count = Count(strip);
    if (!strip.buttons || count == 0)
        return 0;
    first = std::clamp(first, 0, count - 1);
    while (first > 0 && RightEnd(strip, count - 1, first - 1) <= input.clientWidth)
        --first;
    return first;
}

long long Cross(Spot a, Spot b, Spot p)
{
    return static_cast<long long>(b.x - a.x) * (p.y - a.y) - static_cast<long long>(b.y - a.y) * (p.x - a.x);
}

bool InBox(const Box& box, Spot p) { return p.x >= box.left && p.x < box.right && p.y >= box.top && p.y < box.bottom; }

// The pixel's centre inside the convex outline (coordinates doubled to stay whole).
bool InOutline(const std::vector<Spot>& outline, Spot p)
{
    if (outline.size() < 3)
        return false;
    const Spot centre{2 * p.x + 1, 2 * p.y + 1};
    bool positive = false, negative = false;
    for (size_t i = 0; i < outline.size(); ++i) {
        const Spot a{2 * outline[i].x, 2 * outline[i].y};
        const Spot b{2 * outline[(i + 1) % outline.size()].x, 2 * outline[(i + 1) % outline.size()].y};
        const long long c = Cross(a, b, centre);
        positive = positive || c > 0;
        negative = negative || c < 0;
    }
    return !(positive && negative);
}

bool InTab(const StripLayout& layout, int index, Spot p)
{
    const TabPlace& tab = layout.tabs[index];
    return tab.kind != kShapeHidden && InBox(tab.outer, p) && InOutline(Outline(tab, layout.bottom), p);
}

bool IsSliver(uint8_t kind) { return kind == kShapeSliver || kind == kShapeSliverSelected; }

} // namespace

StripLayout Compute(const StripInput& input)
{
    const Strip strip = Measure(input);
    const int count = Count(strip);
    const int h = input.height;
    const int top = input.bottom ? 0 : 2;
    const int bottom = input.bottom ? h - 2 : h;

    StripLayout layout;
    layout.selected = input.selected >= 0 && input.selected < count ? input.selected : -1;
    layout.firstVisible = Settle(strip, input, input.firstVisible);
    layout.buttons = strip.buttons;
    layout.tabAreaLeft = strip.offset;
    layout.bottom = input.bottom;
    if (strip.buttons) {
        // The two buttons share their middle edge pixel.
        layout.previous = {0, top, h - 1, bottom};
        layout.next = {h - 2, top, 2 * h - 3, bottom};
    }

    const int first = layout.firstVisible;
    const int shift = count > 0 ? strip.x[first] - strip.offset : 0;
    for (int i = 0; i < count; ++i) {
        TabPlace tab;
        const int left = strip.x[i] - shift;
        tab.outer = {left, top, left + strip.width[i], bottom};
        tab.label = {left + h / 2, top, left + h / 2 + strip.labelWidth[i] + 4, bottom};
        if (i < first - 1) {
            tab.kind = kShapeHidden;
        } else if (i == first - 1) {
            tab.kind = i == layout.selected ? kShapeSliverSelected : kShapeSliver;
            tab.outer = {strip.offset, top, strip.offset + h / 2, bottom};
            tab.label = {strip.offset, top, strip.offset, bottom};
        } else if (i == layout.selected || i == count - 1) {
            tab.kind = kShapeSelectedOrLast;
        } else if (i < layout.selected) {
            tab.kind = kShapeLeftOfSelected;
        } else {
            tab.kind = kShapeRightOfSelected;
        }
        layout.tabs.push_back(tab);
    }
    return layout;
}

int ScrollPrevious(const StripInput& input)
{
    const Strip strip = Measure(input);
    return Settle(strip, input, Settle(strip, input, input.firstVisible) - 1);
}

int ScrollNext(const StripInput& input)
{
    const Strip strip = Measure(input);
    const int count = Count(strip);
    int first = Settle(strip, input, input.firstVisible);
    if (count > 0 && first < count - 1 && RightEnd(strip, count - 1, first) > input.clientWidth)
        ++first;
    return Settle(strip, input, first);
}

int EnsureVisible(const StripInput& input, int index)
{
    const Strip strip = Measure(input);
    const int count = Count(strip);
    int first = Settle(strip, input, input.firstVisible);
    if (index < 0 || index >= count)
        return first;
    if (index < first) {
        // The sliver (or a tab further left) comes back by scrolling to it.
        first = index;
    } else {
        while (first < index && RightEnd(strip, index, first) > input.clientWidth)
            ++first;
    }
    return Settle(strip, input, first);
}

std::vector<Spot> Outline(const TabPlace& tab, bool bottom)
{
    if (tab.kind == kShapeHidden)
        return {};
    const Box& r = tab.outer;
    const int half = (r.bottom - r.top) / 2;
    const int base = bottom ? r.bottom : r.top;
    const int edge = bottom ? r.top : r.bottom;
    if (IsSliver(tab.kind))
        // The right end of the tab scrolled away: everything left of its right slant.
        return {{r.left, base}, {r.left, edge}, {r.right - half, edge}, {r.right, base}};
    return {{r.left, base}, {r.left + half, edge}, {r.right - half, edge}, {r.right, base}};
}

std::vector<std::pair<Spot, Spot>> SlantedSides(const TabPlace& tab, bool bottom)
{
    const std::vector<Spot> corners = Outline(tab, bottom);
    if (corners.empty())
        return {};
    const std::pair<Spot, Spot> right{corners[2], corners[3]};
    if (IsSliver(tab.kind))
        return {right};
    return {{corners[0], corners[1]}, right};
}

int HitTest(const StripLayout& layout, Spot point)
{
    if (layout.buttons) {
        if (InBox(layout.previous, point))
            return kHitPrevious;
        if (InBox(layout.next, point))
            return kHitNext;
    }
    // Lower indices are drawn over higher ones, the selected tab over everything.
    const int selected = layout.selected;
    const bool onSelected = selected >= 0 && InTab(layout, selected, point);
    for (int i = 0; i < static_cast<int>(layout.tabs.size()); ++i) {
        if (onSelected ? i == selected : InTab(layout, i, point))
            return i;
    }
    return kHitNothing;
}

} // namespace TabLayout
