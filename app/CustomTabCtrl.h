#pragma once
// The main window's tab strip: self-drawn slanted tabs, scroll buttons when they do not fit,
// choices reported to the parent with WM_NOTIFY.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/TabLayout.h"
#include "app/ThemeUtil.h"
#include "winapi/Handles.h"

// Style bits of the control's window style.
inline constexpr DWORD kTabStyleEqualWidth = 1;
inline constexpr DWORD kTabStyleAutoButtons = 4;
inline constexpr DWORD kTabStyleBottom = 1024;

// Notification codes and the hit values carried in them.
inline constexpr int kTabNotifySelChange = 0;
inline constexpr int kTabNotifyLeftPress = -2;
inline constexpr int kTabNotifyLeftDoubleClick = -3;
inline constexpr int kTabNotifyRightPress = -5;
inline constexpr int kTabNotifyRightDoubleClick = -6;
inline constexpr int kTabHitPrevious = -2;
inline constexpr int kTabHitNext = -3;
inline constexpr int kTabHitNothing = -6;

inline constexpr size_t kTabLabelLimit = 29;

// The second parameter of the control's WM_NOTIFY.
struct CTC_NMHDR {
    NMHDR hdr;
    int32_t nItem;
    wchar_t pszText[30];
    int32_t lParam;
    RECT rItem;
    POINT ptHitTest;
    int32_t fSelected;
    int32_t fHighlighted;
};

// One tab, owned by the control.
class CCustomTabCtrlItem {
public:
    CCustomTabCtrlItem(std::wstring text, int32_t data) : label(std::move(text)), itemData(data) {}

    std::wstring label;            // at most kTabLabelLimit characters
    int32_t itemData = 0;          // carried in notifications, never drawn
    RECT outer = {};               // strip coordinates
    RECT labelRect = {};
    std::vector<POINT> hitRegion;  // the filled outline, rebuilt on every layout
    BYTE shape = TabLayout::kShapeHidden;
    int32_t selected = 0;
};

class CCustomTabCtrl {
public:
    CCustomTabCtrl();
    ~CCustomTabCtrl();
    CCustomTabCtrl(const CCustomTabCtrl&) = delete;
    CCustomTabCtrl& operator=(const CCustomTabCtrl&) = delete;

    // Registers the window class "CCustomTabCtrl" once per process (before a dialog that holds
    // the control is created).
    static bool RegisterWindowClass();
    // Takes over the dialog's control window (class "CCustomTabCtrl").
    bool Attach(HWND control);
    HWND GetSafeHwnd() const;

    // The position, -2 for a position out of range, -1 when the tab cannot be created.
    int InsertItem(int position, const std::wstring& label, int32_t itemData);
    void DeleteAllItems();
    void ModifyStyle(DWORD add);
    void SetCurSel(int index);
    int GetCurSel() const;
    int GetItemCount() const;
    std::wstring GetItemText(int index) const;

    // Geometry as last laid out: the tab's outer rectangle (false for a tab out of view), the
    // scroll position and whether the scroll buttons show.
    bool GetItemRect(int index, RECT& rect) const;
    int GetFirstVisible() const { return firstVisible_; }
    bool ScrollButtonsShown() const { return layout_.buttons; }
    // The tab index, kTabHitPrevious, kTabHitNext or kTabHitNothing at a client point.
    int HitTest(POINT point) const;

    // Replaceable so tests never block on the error box or wait on the real clock; each returns
    // the function it replaces, null puts the system's back.
    using MessageBoxFunction = int (*)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
    static MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function);
    using TickFunction = DWORD (*)();
    static TickFunction SetTickFunction(TickFunction function);

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Detach();

    void CreateFonts();
    void CreateGlyphStrip();
    void OpenVisualStyle();
    void ReleaseVisualStyle();

    TabLayout::StripInput LayoutInput() const;
    void Layout();
    void Repaint();
    void Scroll(int button);

    void OnLeftPress(POINT point, bool doubleClick);
    void OnMouseMove(POINT point);
    void OnTimer();
    void StopButtons();
    void UpdateButtonStates(POINT point);
    void Notify(int code, int index, POINT point);

    void Paint(HDC target);
    void PaintBackground(HDC dc, const RECT& client);
    void PaintTab(HDC dc, int index);
    void PaintBaseline(HDC dc, const RECT& client);
    void PaintButtons(HDC dc);
    void PaintButton(HDC dc, const RECT& rect, int state, int glyph, bool next);

    HWND hwnd_ = nullptr;
    NGWinApi::UniqueFont normalFont_;
    NGWinApi::UniqueFont tabFont_;
    int selected_ = -1;
    int firstVisible_ = 0;
    int previousState_ = 0;  // 0 not shown, 1 normal, 2 hot, 3 pressed
    int nextState_ = 0;
    int pressedButton_ = kTabHitNothing;
    DWORD lastStepTime_ = 0;
    COLORREF glyphColours_[3] = {};  // normal, hot, pressed
    NGWinApi::UniqueBitmap glyphStrip_;
    // The visual style's button images: horizontal down (previous) and up (next).
    struct StyleImage {
        NGWinApi::UniqueBitmap bitmap;
        bool transparent = false;
        COLORREF transparentColour = RGB(255, 0, 255);
        MARGINS margins = {};
        bool horizontalLayout = false;
        int count = 4;
    };
    StyleImage styleImages_[2];
    bool styled_ = false;
    std::vector<std::unique_ptr<CCustomTabCtrlItem>> items_;

    CThemeUtil theme_;
    TabLayout::StripLayout layout_;
    POINT lastMouse_ = {-1, -1};
    bool trackingLeave_ = false;
};
