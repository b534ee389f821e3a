#pragma once
// What a user would find wrong with how a window is laid out, found from the window itself (it
// works on another process's windows too, where it cannot read fonts: there it checks only controls without text).
#include <windows.h>

#include <string>

// Every fault under `window` (at any depth), "; "-separated; empty when there is none:
// - a text or link wrapped taller than its control;
// - two controls of one parent whose drawn parts overlap (a static or link counts only as far as
//   its text reaches);
// - a control across the edge of the frame its page draws, or of a group box;
// - a control closer than kEdgeMargin pixels to the edge of its top-level window's client area;
// - push buttons in one row with different heights or fonts, or closer than kButtonGap;
// - a page heading whose text does not fit on one line (it would wrap inside the printer's name);
// - a cell of a report-view list without a horizontal scroll bar cut short (this process's lists).
std::string LayoutFaults(HWND window);

// The frame a page draws, in screen coordinates; false for a window that draws none.
bool DrawnFrame(HWND page, RECT& frame);

// The heading of a page in its own client coordinates; empty when it has none.
RECT HeadingPlace(HWND page);

inline constexpr int kEdgeMargin = 4;
inline constexpr int kButtonGap = 3;
inline constexpr int kFrameClearance = 2;
inline constexpr int kListCellPadding = 6;
