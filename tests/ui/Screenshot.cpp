#include "ui/Screenshot.h"

#include <filesystem>
#include <system_error>

#include "app/WindowPicture.h"
#include "winapi/Handles.h"

std::wstring GalleryPath(const std::wstring& name)
{
    wchar_t program[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    return (std::filesystem::path(program).parent_path() / L"gallery" / name).wstring();
}

bool SaveWindowPicture(HWND window, const std::wstring& path)
{
    if (!::IsWindow(window))
        return false;
    // Pictures may go to a folder that no run has made yet.
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT rect;
    ::GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return false;
    // What the window shows now, its child windows included.
    HDC source = ::GetWindowDC(window);
    NGWinApi::UniqueBitmap picture = CopyArea(source, RECT{0, 0, width, height});
    ::ReleaseDC(window, source);
    return SaveBitmapFile(picture.get(), path);
}
