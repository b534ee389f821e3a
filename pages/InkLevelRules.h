#pragma once
// The drawing decisions of the ink levels list: which text each row shows, the level bar's
// outline and fill, its colour by the cartridge's colour name, and the tri-colour bands.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace inklevel {

inline constexpr int kLabelColumnWidth = 230;
inline constexpr int kConsumableColumnWidth = 170;
inline constexpr int kRowCount = 11;
inline constexpr int kColourRow = 0;
inline constexpr int kBarRow = 2;
// The bar ends this far left of its cell, and its fill sits this far inside the outline.
inline constexpr int kBarRightMargin = 40;
inline constexpr int kBarInset = 2;

// Label keys of the eleven rows (rows 1's label stands over the bar of row 2, which has none).
inline constexpr std::array<const wchar_t*, kRowCount> kRowLabelKeys = {
    L"TSY_INKLEVELS_COLOR",   L"TSY_INKLEVELS_LEVEL",       L"",
    L"TSY_INKLEVELS_REGION",  L"TSY_INKLEVELS_INSTALLDATE", L"TSY_INKLEVELS_STATUS",
    L"TSY_INKLEVELS_BRAND",   L"TSY_INKLEVELS_WARRANTY",    L"TSY_INKLEVELS_NO",
    L"TSY_INKLEVELS_DROPS",   L"TSY_INKLEVELS_SN",
};

// What a consumable cell of a row shows.
enum class CellKind { Nothing, ColourName, LevelBar, Text };
CellKind CellKindOf(int row);

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

struct Rgb {
    uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

// One filled rectangle of the bar in one colour.
struct Band {
    Rect rect;
    Rgb colour;
    bool operator==(const Band&) const = default;
};

// The leading decimal digits of a level text; 0 when it has none.
int LevelValue(const std::wstring& text);

// The bar's outline inside a cell: the cell with its right edge moved 40 px left.
Rect BarOutline(const Rect& cell);

// The filled part of the outline for a level text: inset 2 px at top, bottom and left, as
// wide as the level's share of the inner width. None for level 0 (or no number). A level above
// 100 fills no further than the inner right edge.
std::optional<Rect> BarFill(const Rect& outline, const std::wstring& levelText);

// Looks up a string key's text (the string table).
using KeyText = std::function<std::wstring(const wchar_t* key)>;

// The bar colours of a colour name, matched without regard to case against the looked-up text
// of each colour key, first match first: one colour, three for the tri-colour (cyan, magenta,
// yellow, top to bottom), none for a name that matches no key.
std::vector<Rgb> BarColours(const std::wstring& colourName, const KeyText& text);

// Splits the fill into the bands to paint: the whole fill for one colour, three horizontal
// bands for three (height h = height / 3: top to top + h, top + h to top + 2h + 1, the rest),
// nothing for none.
std::vector<Band> BarBands(const Rect& fill, const std::vector<Rgb>& colours);

// The bands a cell's bar paints for a cartridge's colour name and level.
std::vector<Band> LevelBar(const Rect& cell, const std::wstring& colourName, const std::wstring& levelText,
                           const KeyText& text);

// The consumable a list column shows: column i (from 1) shows record i - 1. None for column 0
// and for a column past the records.
std::optional<size_t> ConsumableIndex(int column, size_t consumableCount);

} // namespace inklevel
