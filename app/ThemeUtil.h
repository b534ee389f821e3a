#pragma once
// Access to the running visual style's resources, with the theme library loaded at run time.
#include <windows.h>

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
