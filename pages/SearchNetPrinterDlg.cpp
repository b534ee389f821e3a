#include "pages/SearchNetPrinterDlg.h"

#include <commctrl.h>

#include "app/KeloTessalyApp.h"
#include "app/engine/DiagnosticMgr.h"
#include "pages/NoNetworkDlg.h"
#include "support/LogFile.h"

namespace {

constexpr UINT_PTR kProgressTimer = 1;
constexpr UINT_PTR kBoundTimer = 2;
constexpr UINT kProgressTimerMs = 500;

} // namespace

std::function<int(HWND, const std::wstring&, const std::wstring&, UINT)> CSearchNetPrinterDlg::messageBox =
    [](HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
        return ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
    };

BOOL CSearchNetPrinterDlg::OnInitDialog()
{
    if (!StartNetworkSearch()) {
        // No completion will ever come: end now, the device list as it was.
        Finish();
        EndDialog(IDCANCEL);
    }
    return TRUE;
}

bool CSearchNetPrinterDlg::StartNetworkSearch()
{
    HWND text = GetDlgItem(IDC_SEARCH_TEXT);
    ::SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(theApp.AppFont(4)), TRUE);
    ::SetWindowTextW(text,
                     CMainResultPage::WithLineBreaks(StringTable().GetString(L"TSY_SEARCHNETWORK_STRING1")).c_str());

    HWND self = GetSafeHwnd();
    search_ = std::make_unique<CNetworkSearch>(
        [self](long percent) { ::SendMessageW(self, kMsgSearchProgress, static_cast<WPARAM>(percent), 0); },
        [self] { ::SendMessageW(self, kMsgSearchCompleted, 0, 0); });
    const wchar_t* problem = nullptr;
    switch (search_->Start()) {
    case SearchStart::Started:
        break;
    case SearchStart::NotRegistered:
        problem = L"failed to register with KeloDiagnosticCore Client";
        break;
    case SearchStart::NoSettings:
        problem = L"failed to get network settings";
        break;
    case SearchStart::NoConnection:
        problem = L"No network connection found,failed to start network scan";
        break;
    case SearchStart::Failed:
        LogFile().Write(L"The network search could not start.");
        return false;
    }
    if (problem != nullptr) {
        messageBox(self, problem, L"", MB_OK);
        return false;
    }
    HWND bar = GetDlgItem(IDC_PROGRESS_BAR);
    ::SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    ::SendMessageW(bar, PBM_SETSTEP, kSearchBarStep, 0);
    ::ShowWindow(bar, SW_SHOWNORMAL);
    ::SetTimer(self, kProgressTimer, kProgressTimerMs, nullptr);
    ::SetTimer(self, kBoundTimer, completionBoundMs_, nullptr);
    return true;
}

bool CSearchNetPrinterDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case kMsgSearchProgress:
        lastProgress_ = static_cast<long>(wParam);
        result = 0;
        return true;
    case kMsgSearchCompleted:
        if (!completed_) {
            completed_ = true;
            CollectSearchResults();
            Finish();
            EndDialog(IDCANCEL);
        }
        result = 0;
        return true;
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wParam));
        result = 0;
        return true;
    case WM_DESTROY:
        // The component's objects go together, and never inside one of their own events.
        search_.reset();
        return CDialogBase::OnMessage(message, wParam, lParam, result);
    case WM_CTLCOLORDLG:
        result = reinterpret_cast<INT_PTR>(background_);
        return true;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(IDC_SEARCH_TEXT)) {
            ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            result = reinterpret_cast<INT_PTR>(::GetStockObject(NULL_BRUSH));
        } else {
            result = reinterpret_cast<INT_PTR>(background_);
        }
        return true;
    default:
        return CDialogBase::OnMessage(message, wParam, lParam, result);
    }
}

void CSearchNetPrinterDlg::OnTimer(UINT_PTR timer)
{
    if (timer == kBoundTimer) {
        if (!completed_) {
            LogFile().Write(L"The network search did not complete in %u ms; the printer list stays as it was.",
                            completionBoundMs_);
            Finish();
            EndDialog(IDCANCEL);
        }
        return;
    }
    if (completed_)
        return;
    HWND bar = GetDlgItem(IDC_PROGRESS_BAR);
    const int position = static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0));
    if (SearchBarSteps(position, lastProgress_))
        ::SendMessageW(bar, PBM_STEPIT, 0, 0);
}

void CSearchNetPrinterDlg::CollectSearchResults()
{
    const std::optional<std::vector<FoundPrinter>> found = search_ ? search_->Results() : std::nullopt;
    CDiagnosticMgr* manager = theApp.DiagnosisManager();
    if (!found || manager == nullptr) {
        LogFile().Write(L"The network search results could not be read; the printer list stays as it was.");
        return;
    }
    const DeviceList records = SearchResultRecords(*found);
    LogFile().Write(L"Network search found %u printers, %u of them listed.", static_cast<unsigned>(found->size()),
                    static_cast<unsigned>(records.size()));
    manager->ReplaceDevices(records);
    listReplaced_ = true;
}

void CSearchNetPrinterDlg::Finish()
{
    HWND self = GetSafeHwnd();
    ::KillTimer(self, kProgressTimer);
    ::KillTimer(self, kBoundTimer);
}
