#include <gtest/gtest.h>

#include "app/DialogExtended.h"
#include "app/FontUtil.h"
#include "app/GdiplusSupport.h"
#include "app/KeloTessalyApp.h"
#include "app/ThemeUtil.h"
#include "res/resource.h"

namespace {

class TestPage : public CDialogExtended {
public:
    explicit TestPage(bool frameMode) : CDialogExtended(IDD_TSY_PARENT, frameMode) {}
};

LOGFONTW Describe(HFONT font)
{
    LOGFONTW info = {};
    ::GetObjectW(font, sizeof info, &info);
    return info;
}

// A window that records the messages it gets.
struct Recorder {
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM w, LPARAM l)
    {
        if (message == WM_CLOSE) {
            ++closes;
            return 0;
        }
        return ::DefWindowProcW(hwnd, message, w, l);
    }
    static inline int closes = 0;
};

} // namespace

TEST(DialogExtended, PageFontsHaveTheirSizesInTheInterfaceFace)
{
    TestPage page(true);
    const int heights[6] = {15, 15, 17, 15, 15, 12};
    const int weights[6] = {500, 700, 500, 500, 400, 500};
    const std::wstring face = InterfaceFontFace();
    EXPECT_EQ(face, IsFontInstalled(L"Calibri") ? L"Calibri" : L"Microsoft Sans Serif");
    EXPECT_FALSE(IsFontInstalled(L"No Such Face Anywhere"));
    for (int n = 1; n <= 6; ++n) {
        LOGFONTW info = Describe(page.PageFont(n));
        EXPECT_EQ(info.lfHeight, heights[n - 1]) << n;
        EXPECT_EQ(info.lfWeight, weights[n - 1]) << n;
        EXPECT_EQ(info.lfFaceName, face) << n;
        EXPECT_EQ(info.lfCharSet, 0);
        EXPECT_FALSE(info.lfItalic || info.lfUnderline || info.lfStrikeOut);
    }
}

TEST(DialogExtended, DrawsABlackFrameAroundTheContent)
{
    GdiplusSession gdiplus;
    TestPage page(true);
    ASSERT_TRUE(page.Create(nullptr));
    // Borderless, so the window's origin is its client origin.
    ::SetWindowLongPtrW(page.GetSafeHwnd(), GWL_STYLE, WS_POPUP);
    ::SetWindowLongPtrW(page.GetSafeHwnd(), GWL_EXSTYLE, 0);
    ::SetWindowPos(page.GetSafeHwnd(), nullptr, 0, 0, 400, 400, SWP_NOZORDER | SWP_FRAMECHANGED);
    page.SetFrameRect({20, 20, 200, 100});

    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP canvas = ::CreateCompatibleBitmap(screen, 400, 400);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(dc, canvas);
    RECT all = {0, 0, 400, 400};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    page.DrawFrame(dc);

    auto dark = [&](int x, int y) { return GetRValue(::GetPixel(dc, x, y)) < 128; };

    // x1 = 15, y1 = 16, x2 = 200, y2 = (100 + 55) * 0.9 = 139
    EXPECT_TRUE(dark(100, 16));
    EXPECT_TRUE(dark(200, 80));
    EXPECT_TRUE(dark(100, 139));
    EXPECT_TRUE(dark(15, 80));
    EXPECT_FALSE(dark(100, 80));
    EXPECT_FALSE(dark(100, 170)); // the deep mode would end at 167
    ::SelectObject(dc, old);
    ::DeleteObject(canvas);
    ::DeleteDC(dc);
}

TEST(DialogExtended, EnterDoesNothingAndEscapeClosesTheMainWindow)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &Recorder::Proc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KeloRecorder";
    ::RegisterClassW(&windowClass);
    HWND main = ::CreateWindowW(L"KeloRecorder", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
    ASSERT_NE(main, nullptr);
    theApp.SetMainWindow(main);

    TestPage page(false);
    ASSERT_TRUE(page.Create(nullptr));
    HWND hwnd = page.GetSafeHwnd();
    ::SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(Recorder::closes, 0);
    EXPECT_TRUE(::IsWindow(hwnd));
    ::SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(Recorder::closes, 1);

    page.BeginModalState();
    EXPECT_FALSE(::IsWindowEnabled(hwnd));
    page.EndModalState();
    EXPECT_TRUE(::IsWindowEnabled(hwnd));
    theApp.SetMainWindow(nullptr);
    ::DestroyWindow(main);
}

TEST(ThemeUtil, LoadsTheThemeLibraryFromVersionFiveOne)
{
    EXPECT_TRUE(SupportsVisualStyles(6, 0));
    EXPECT_TRUE(SupportsVisualStyles(5, 1));
    EXPECT_TRUE(SupportsVisualStyles(10, 0));
    EXPECT_FALSE(SupportsVisualStyles(5, 0));
    EXPECT_FALSE(SupportsVisualStyles(4, 90));

    CThemeUtil theme;
    EXPECT_TRUE(theme.IsLibraryLoaded());
    EXPECT_FALSE(theme.Open(nullptr));
    EXPECT_EQ(theme.LoadThemeBitmap(L"images\\spin.bmp"), nullptr); // no style file open
    theme.Close();
}
