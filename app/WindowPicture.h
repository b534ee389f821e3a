#pragma once
// Pictures of what a window shows: the tab strip's background file, and window tests' screenshots.
#include <windows.h>

#include <string>

#include "winapi/Handles.h"

// A bitmap holding `area` of what `source` shows; null when the area is empty.
NGWinApi::UniqueBitmap CopyArea(HDC source, const RECT& area);

// Writes `bitmap` as a 24-bit BMP file; false when it cannot.
bool SaveBitmapFile(HBITMAP bitmap, const std::wstring& path);
