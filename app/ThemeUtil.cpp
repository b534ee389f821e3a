#include "app/ThemeUtil.h"

#include <string>

#include "winapi/NGWinApi.h"

namespace {
using IsThemeActiveFn = BOOL(WINAPI*)();
using OpenThemeDataFn = HANDLE(WINAPI*)(HWND, LPCWSTR);
using CloseThemeDataFn = HRESULT(WINAPI*)(HANDLE);
using GetCurrentThemeNameFn = HRESULT(WINAPI*)(LPWSTR, int, LPWSTR, int, LPWSTR, int);
} // namespace

CThemeUtil::CThemeUtil()
{
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (NGWinApi::Kernel().GetVersionExW(&version) &&
        SupportsVisualStyles(version.dwMajorVersion, version.dwMinorVersion))
        themeLibrary_ = ::LoadLibraryW(L"UxTheme.dll");
}

CThemeUtil::~CThemeUtil()
{
    Close();
    if (themeLibrary_ != nullptr)
        ::FreeLibrary(themeLibrary_);
}

template <class Fn>
Fn CThemeUtil::Proc(const char* name) const
{
    if (themeLibrary_ == nullptr)
        return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(NGWinApi::Kernel().GetProcAddress(themeLibrary_, name)));
}

bool CThemeUtil::Open(HWND window)
{
    if (themeLibrary_ == nullptr || window == nullptr || theme_ != nullptr)
        return false;
    auto isThemeActive = Proc<IsThemeActiveFn>("IsThemeActive");
    auto openThemeData = Proc<OpenThemeDataFn>("OpenThemeData");
    auto getCurrentThemeName = Proc<GetCurrentThemeNameFn>("GetCurrentThemeName");
    if (!isThemeActive || !openThemeData || !getCurrentThemeName || !isThemeActive())
        return false;
    theme_ = openThemeData(window, L"SPIN");
    if (theme_ != nullptr) {
        wchar_t file[MAX_PATH] = {}, colour[MAX_PATH] = {}, size[MAX_PATH] = {};
        if (SUCCEEDED(getCurrentThemeName(file, MAX_PATH, colour, MAX_PATH, size, MAX_PATH)))
            themeFile_ = ::LoadLibraryExW(file, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    if (themeFile_ == nullptr) {
        Close();
        return false;
    }
    return true;
}

void CThemeUtil::Close()
{
    if (theme_ != nullptr) {
        if (auto closeThemeData = Proc<CloseThemeDataFn>("CloseThemeData"))
            closeThemeData(theme_);
        theme_ = nullptr;
    }
    if (themeFile_ != nullptr) {
        ::FreeLibrary(themeFile_);
        themeFile_ = nullptr;
    }
}

HBITMAP CThemeUtil::LoadThemeBitmap(const wchar_t* name)
{
    if (themeFile_ == nullptr || name == nullptr)
        return nullptr;
    std::wstring resourceName(name);
    for (wchar_t& c : resourceName)
        if (c == L'\\' || c == L'.')
            c = L'_';
    return static_cast<HBITMAP>(::LoadImageW(themeFile_, resourceName.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}
