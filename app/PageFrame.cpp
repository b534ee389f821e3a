#include "app/PageFrame.h"

FrameCorners ComputeFrameCorners(const PageRect& frame, int offsetX, int offsetY, bool frameMode)
{
    FrameCorners corners;
    corners.x1 = static_cast<int>(frame.left - kFrameSideMargin - offsetX);
    corners.y1 = static_cast<int>(frame.top - 4 - offsetY);
    corners.x2 = static_cast<int>(frame.right + offsetX);
    const int y3 = static_cast<int>(frame.bottom + 55 - offsetY);
    corners.y2 = static_cast<int>(y3 * (frameMode ? 0.9 : 1.08));
    return corners;
}

FrameCorners ComputeFrameCorners(const PageRect& frame, int offsetX, int offsetY, bool frameMode, int floor)
{
    FrameCorners corners = ComputeFrameCorners(frame, offsetX, offsetY, frameMode);
    if (floor > 0)
        corners.y2 = floor;
    return corners;
}

PageRect FitPicture(int imageWidth, int imageHeight, const PageRect& area)
{
    const long width = area.right - area.left;
    const long height = area.bottom - area.top;
    if (imageWidth <= 0 || imageHeight <= 0 || width <= 0 || height <= 0)
        return {area.left, area.top, area.left, area.top};
    // Compare the two scales without rounding: width / imageWidth against height / imageHeight.
    long fitWidth = width;
    long fitHeight = static_cast<long>(static_cast<long long>(width) * imageHeight / imageWidth);
    if (fitHeight > height) {
        fitHeight = height;
        fitWidth = static_cast<long>(static_cast<long long>(height) * imageWidth / imageHeight);
    }
    const long left = area.left + (width - fitWidth) / 2;
    const long top = area.top + (height - fitHeight) / 2;
    return {left, top, left + fitWidth, top + fitHeight};
}
