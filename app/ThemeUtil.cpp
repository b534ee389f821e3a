#include "app/ThemeUtil.h"

#include <string>

#include "winapi/NGWinApi.h"

namespace {
using IsThemeActiveFn = BOOL(WINAPI*)();
using OpenThemeDataFn = HANDLE(WINAPI*)(HWND, LPCWSTR);
using CloseThemeDataFn = HRESULT(WINAPI*)(HANDLE);
using GetCurrentThemeNameFn = HRESULT(WINAPI*)(LPWSTR, int, LPWSTR, int, LPWSTR, int);
using GetThemeIntFn = HRESULT(WINAPI*)(HANDLE, int, int, int, int*);
using GetThemeBoolFn = HRESULT(WINAPI*)(HANDLE, int, int, int, BOOL*);
using GetThemeColorFn = HRESULT(WINAPI*)(HANDLE, int, int, int, COLORREF*);
using GetThemeMarginsFn = HRESULT(WINAPI*)(HANDLE, HDC, int, int, int, LPCRECT, MARGINS*);
using GetThemeFilenameFn = HRESULT(WINAPI*)(HANDLE, int, int, int, LPWSTR, int);
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

bool CThemeUtil::GetInt(int part, int state, int property, int& value) const
{
    auto getThemeInt = Proc<GetThemeIntFn>("GetThemeInt");
    return theme_ != nullptr && getThemeInt && SUCCEEDED(getThemeInt(theme_, part, state, property, &value));
}

bool CThemeUtil::GetEnumValue(int part, int state, int property, int& value) const
{
    auto getThemeEnumValue = Proc<GetThemeIntFn>("GetThemeEnumValue");
    return theme_ != nullptr && getThemeEnumValue &&
           SUCCEEDED(getThemeEnumValue(theme_, part, state, property, &value));
}

bool CThemeUtil::GetBool(int part, int state, int property, bool& value) const
{
    auto getThemeBool = Proc<GetThemeBoolFn>("GetThemeBool");
    BOOL flag = FALSE;
    if (theme_ == nullptr || !getThemeBool || FAILED(getThemeBool(theme_, part, state, property, &flag)))
        return false;
    value = flag != FALSE;
    return true;
}

bool CThemeUtil::GetColor(int part, int state, int property, COLORREF& value) const
{
    auto getThemeColor = Proc<GetThemeColorFn>("GetThemeColor");
    return theme_ != nullptr && getThemeColor && SUCCEEDED(getThemeColor(theme_, part, state, property, &value));
}

bool CThemeUtil::GetMargins(int part, int state, int property, MARGINS& value) const
{
    auto getThemeMargins = Proc<GetThemeMarginsFn>("GetThemeMargins");
    return theme_ != nullptr && getThemeMargins &&
           SUCCEEDED(getThemeMargins(theme_, nullptr, part, state, property, nullptr, &value));
}

bool CThemeUtil::GetFilename(int part, int state, int property, std::wstring& value) const
{
    auto getThemeFilename = Proc<GetThemeFilenameFn>("GetThemeFilename");
    wchar_t name[MAX_PATH] = {};
    if (theme_ == nullptr || !getThemeFilename ||
        FAILED(getThemeFilename(theme_, part, state, property, name, MAX_PATH)))
        return false;
    value = name;
    return true;
}
