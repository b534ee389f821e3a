#include "app/PageFrame.h"

FrameCorners ComputeFrameCorners(const PageRect& frame, int offsetX, int offsetY, bool frameMode)
{
    FrameCorners corners;
    corners.x1 = static_cast<int>(frame.left - 5 - offsetX);
    corners.y1 = static_cast<int>(frame.top - 4 - offsetY);
    corners.x2 = static_cast<int>(frame.right + offsetX);
    const int y3 = static_cast<int>(frame.bottom + 55 - offsetY);
    corners.y2 = static_cast<int>(y3 * (frameMode ? 0.9 : 1.08));
    return corners;
}
