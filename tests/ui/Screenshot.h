#pragma once
// Pictures of windows for people to look at: a window as it is on screen, frame included.
#include <windows.h>

#include <string>

// Brings the window's painting up to date and writes what it shows as a 24-bit BMP file.
// False when the window or the file cannot be read or written.
bool SaveWindowPicture(HWND window, const std::wstring& path);

// Where a picture named `name` (may include a sub-folder) goes: the gallery folder beside the test
// program, which the test command names at its end so people can look at every window pictured.
std::wstring GalleryPath(const std::wstring& name);
