#include "ui/Screenshot.h"

#include "app/TSYParentDlg.h"
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
    HDC source = ::GetWindowDC(window);
    HDC copy = ::CreateCompatibleDC(source);
    NGWinApi::UniqueBitmap picture(::CreateCompatibleBitmap(source, width, height));
    HGDIOBJ previous = ::SelectObject(copy, picture.get());
    // What the window shows now, its child windows included.
    ::BitBlt(copy, 0, 0, width, height, source, 0, 0, SRCCOPY);
    ::SelectObject(copy, previous);
    ::DeleteDC(copy);
    ::ReleaseDC(window, source);
    return SaveBitmapFile(picture.get(), path);
}
