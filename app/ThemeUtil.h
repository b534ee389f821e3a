#pragma once
// Access to the running visual style's resources, with the theme library loaded at run time.
#include <windows.h>
#include <uxtheme.h>

#include <string>

class CThemeUtil {
public:
    CThemeUtil();
    virtual ~CThemeUtil();
    CThemeUtil(const CThemeUtil&) = delete;
    CThemeUtil& operator=(const CThemeUtil&) = delete;

    // Opens the "SPIN" class of the active style and loads the style's file; false when none.
    bool Open(HWND window);
    void Close();
    // A bitmap of the loaded style file, named with "\" and "." turned into "_".
    HBITMAP LoadThemeBitmap(const wchar_t* name);

    // Properties of the open style's parts; false when no style is open or the property is missing.
    bool GetInt(int part, int state, int property, int& value) const;
    bool GetEnumValue(int part, int state, int property, int& value) const;
    bool GetBool(int part, int state, int property, bool& value) const;
    bool GetColor(int part, int state, int property, COLORREF& value) const;
    bool GetMargins(int part, int state, int property, MARGINS& value) const;
    bool GetFilename(int part, int state, int property, std::wstring& value) const;

    bool IsLibraryLoaded() const { return themeLibrary_ != nullptr; }
    HANDLE Theme() const { return theme_; }

private:
    template <class Fn>
    Fn Proc(const char* name) const;

    HMODULE themeLibrary_ = nullptr;
    HMODULE themeFile_ = nullptr;
    HANDLE theme_ = nullptr;
};

// Whether a system version counts as 5.1 or later.
constexpr bool SupportsVisualStyles(unsigned long major, unsigned long minor)
{
    return major > 5 || (major == 5 && minor >= 1);
}
