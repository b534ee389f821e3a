#pragma once
// Where a page draws the frame around its content.

struct PageRect {
    long left, top, right, bottom;
};

struct FrameCorners {
    int x1, y1, x2, y2;
};

// `offsetX`/`offsetY`: the page window's origin in its own client coordinates.
// The tall mode (set) ends the frame at 0.9 of its depth, the other at 1.08.
FrameCorners ComputeFrameCorners(const PageRect& frame, int offsetX, int offsetY, bool frameMode);
