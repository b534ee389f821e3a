#pragma once
// The network printer search window: starts the component's search, shows a bar that creeps
// ahead of the component's reports, and on completion replaces the diagnosis manager's device
// list with the suitable printers found. It ends by itself: on completion, at once when the
// search cannot start (after saying why), or after a generous bound when completion never comes.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/DialogBase.h"
#include "discovery/NetworkSearch.h"
#include "res/resource.h"

inline constexpr UINT kMsgSearchProgress = WM_APP + 4;
inline constexpr UINT kMsgSearchCompleted = WM_APP + 5;

class CSearchNetPrinterDlg : public CDialogBase {
public:
    CSearchNetPrinterDlg() : CDialogBase(IDD_SEARCH_NETWORK) {}

    bool Completed() const { return completed_; }
    // Whether the device list was replaced by this search.
    bool ListReplaced() const { return listReplaced_; }

    // Replaceable so tests never block on a message box.
    static std::function<int(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type)>
        messageBox;
    // The longest the window waits for the component's completion.
    static void SetCompletionBound(UINT milliseconds) { completionBoundMs_ = milliseconds; }

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    // Enter and Esc do nothing: the window ends only by itself.
    void OnOK() override {}
    void OnCancel() override {}

private:
    // False when the search did not start (already said to the user).
    bool StartNetworkSearch();
    void CollectSearchResults();
    void OnTimer(UINT_PTR timer);
    // Stops the timers; the window is ending.
    void Finish();

    static inline UINT completionBoundMs_ = 180000;

    std::unique_ptr<CNetworkSearch> search_;
    long lastProgress_ = 0;
    bool completed_ = false;
    bool listReplaced_ = false;
    HBRUSH background_ = static_cast<HBRUSH>(::GetStockObject(LTGRAY_BRUSH));
};
