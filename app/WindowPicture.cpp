#include "app/WindowPicture.h"

#include <vector>

NGWinApi::UniqueBitmap CopyArea(HDC source, const RECT& area)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return NGWinApi::UniqueBitmap();
    NGWinApi::MemoryDc copy(source);
    NGWinApi::UniqueBitmap picture(::CreateCompatibleBitmap(source, width, height));
    NGWinApi::Selection selected(copy.get(), picture.get());
    ::BitBlt(copy.get(), 0, 0, width, height, source, area.left, area.top, SRCCOPY);
    return picture;
}

bool SaveBitmapFile(HBITMAP bitmap, const std::wstring& path)
{
    BITMAP info = {};
    if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof info, &info) == 0 || info.bmWidth <= 0 ||
        info.bmHeight <= 0)
        return false;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = info.bmWidth;
    header.biHeight = info.bmHeight;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = ((static_cast<DWORD>(info.bmWidth) * 3 + 3) / 4) * 4;
    header.biSizeImage = stride * static_cast<DWORD>(info.bmHeight);
    std::vector<BYTE> pixels(header.biSizeImage);
    HDC screen = ::GetDC(nullptr);
    const int lines = ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data(),
                                  reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (lines != info.bmHeight)
        return false;

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + header.biSizeImage;
    NGWinApi::UniqueHandle out(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out)
        return false;
    DWORD written = 0;
    bool ok = ::WriteFile(out.get(), &file, sizeof file, &written, nullptr) && written == sizeof file;
    ok = ok && ::WriteFile(out.get(), &header, sizeof header, &written, nullptr) && written == sizeof header;
    ok = ok && ::WriteFile(out.get(), pixels.data(), header.biSizeImage, &written, nullptr) &&
         written == header.biSizeImage;
    return ok;
}
