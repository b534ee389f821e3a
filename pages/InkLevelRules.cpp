#include "pages/InkLevelRules.h"

#include <algorithm>
#include <cwctype>

namespace inklevel {

namespace {

constexpr Rgb kCyan{0, 255, 255};
constexpr Rgb kMagenta{139, 0, 139};
constexpr Rgb kYellow{255, 255, 0};

struct ColourEntry {
    const wchar_t* key;
    Rgb fill;
    bool tricolour;
};

constexpr ColourEntry kColours[] = {
    {L"TSY_COLOR_BLACK", {0, 0, 0}, false},
    {L"TSY_COLOR_YELLOW", kYellow, false},
    {L"TSY_COLOR_CYAN", kCyan, false},
    {L"TSY_COLOR_MAGENTA", kMagenta, false},
    {L"TSY_COLOR_PHOTO_BLACK", {0, 0, 0}, false},
    {L"TSY_COLOR_LIGHT_CYAN", {112, 255, 255}, false},
    {L"TSY_COLOR_LIGHT_MAGENTA", {224, 93, 161}, false},
    {L"TSY_COLOR_LIGHT_GRAY", {211, 211, 211}, false},
    {L"TSY_COLOR_TRICOLOR", {}, true},
};

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towlower(static_cast<wint_t>(x)) == std::towlower(static_cast<wint_t>(y));
           });
}

} // namespace

CellKind CellKindOf(int row)
{
    if (row == kColourRow)
        return CellKind::ColourName;
    if (row == kBarRow)
        return CellKind::LevelBar;
    if (row >= 3 && row < kRowCount)
        return CellKind::Text;
    return CellKind::Nothing;
}

int LevelValue(const std::wstring& text)
{
    int value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            break;
        value = value * 10 + (c - L'0');
        if (value > 100) // more is drawn as full anyway, and cannot overflow
            return 101;
    }
    return value;
}

Rect BarOutline(const Rect& cell)
{
    Rect outline = cell;
    outline.right -= kBarRightMargin;
    return outline;
}

std::optional<Rect> BarFill(const Rect& outline, const std::wstring& levelText)
{
    const int level = std::min(LevelValue(levelText), 100);
    const int inner = outline.Width() - 2 * kBarInset;
    if (level == 0 || inner <= 0 || outline.Height() <= 2 * kBarInset)
        return std::nullopt;
    return Rect{outline.left + kBarInset, outline.top + kBarInset, outline.left + kBarInset + level * inner / 100,
                outline.bottom - kBarInset};
}

std::vector<Rgb> BarColours(const std::wstring& colourName, const KeyText& text)
{
    for (const ColourEntry& entry : kColours) {
        const std::wstring name = text(entry.key);
        // A key missing from the string file names no colour.
        if (name.empty() || !SameIgnoringCase(colourName, name))
            continue;
        if (entry.tricolour)
            return {kCyan, kMagenta, kYellow};
        return {entry.fill};
    }
    return {};
}

std::vector<Band> BarBands(const Rect& fill, const std::vector<Rgb>& colours)
{
    if (colours.size() == 1)
        return {{fill, colours[0]}};
    if (colours.size() != 3)
        return {};
    const int h = fill.Height() / 3;
    const int first = fill.top + h;
    const int second = std::min(fill.top + 2 * h + 1, fill.bottom);
    return {{{fill.left, fill.top, fill.right, first}, colours[0]},
            {{fill.left, first, fill.right, second}, colours[1]},
            {{fill.left, second, fill.right, fill.bottom}, colours[2]}};
}

std::vector<Band> LevelBar(const Rect& cell, const std::wstring& colourName, const std::wstring& levelText,
                           const KeyText& text)
{
    const std::optional<Rect> fill = BarFill(BarOutline(cell), levelText);
    if (!fill)
        return {};
    return BarBands(*fill, BarColours(colourName, text));
}

std::optional<size_t> ConsumableIndex(int column, size_t consumableCount)
{
    if (column < 1 || static_cast<size_t>(column) > consumableCount)
        return std::nullopt;
    return static_cast<size_t>(column - 1);
}

} // namespace inklevel
