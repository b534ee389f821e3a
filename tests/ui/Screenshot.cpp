#include "ui/Screenshot.h"

#include "app/WindowPicture.h"
#include "winapi/Handles.h"

namespace {

// Pictures may go to a folder that no run has made yet.
void CreateParentFolders(const std::wstring& path)
{
    for (size_t slash = path.find_first_of(L"\\/", 3); slash != std::wstring::npos;
         slash = path.find_first_of(L"\\/", slash + 1))
        ::CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
}

} // namespace

bool SaveWindowPicture(HWND window, const std::wstring& path)
{
    if (!::IsWindow(window))
        return false;
    CreateParentFolders(path);
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
