#include "app/FontUtil.h"

#include <cwchar>

namespace {
int CALLBACK CountFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}
} // namespace

bool IsFontInstalled(const wchar_t* face)
{
    HDC screen = ::GetDC(nullptr);
    if (screen == nullptr)
        return false;
    LOGFONTW query = {};
    query.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(query.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    ::EnumFontFamiliesExW(screen, &query, &CountFamily, reinterpret_cast<LPARAM>(&found), 0);
    ::ReleaseDC(nullptr, screen);
    return found;
}

const wchar_t* InterfaceFontFace()
{
    return IsFontInstalled(L"Calibri") ? L"Calibri" : L"Microsoft Sans Serif";
}

HFONT CreateInterfaceFont(int height, int weight)
{
    return ::CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, InterfaceFontFace());
}
