#pragma once
// Where a page draws the frame around its content, and where a picture goes in its window.

struct PageRect {
    long left, top, right, bottom;
};

// The frame's left edge stands this many pixels left of the content; pages leave as much on the right.
inline constexpr int kFrameSideMargin = 5;

struct FrameCorners {
    int x1, y1, x2, y2;
};

// `offsetX`/`offsetY`: the page window's origin in its own client coordinates.
// The tall mode (set) ends the frame at 0.9 of its depth, the other at 1.08.
FrameCorners ComputeFrameCorners(const PageRect& frame, int offsetX, int offsetY, bool frameMode);

// The same, ending at `floor` when one is given (just above the page's row of buttons, which the
// scaled depth would otherwise cross or fall short of, by page); `floor` 0 leaves it as computed.
FrameCorners ComputeFrameCorners(const PageRect& frame, int offsetX, int offsetY, bool frameMode, int floor);

// The largest rectangle of `imageWidth` x `imageHeight`'s shape inside `area`, centred in it: a
// picture keeps its proportions however the window is sized. Empty for an empty image or area.
PageRect FitPicture(int imageWidth, int imageHeight, const PageRect& area);
