#pragma once
// The main window's tab strip: self-drawn slanted tabs, scroll buttons when they do not fit,
// choices reported to the parent with WM_NOTIFY.
#include <windows.h>

#include <cstdint>
#include <string>

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
};
