#include "pages/NotListedNetworkDlg.h"

#include "app/AppMessages.h"
#include "app/engine/DiagnosticMgr.h"
#include "app/EnumerateDlg.h"
#include "app/KeloTessalyApp.h"
#include "pages/FeedbackDlg.h"

namespace {

constexpr int kIdMessage = 1009;
constexpr int kIdRetry = 1005;

} // namespace

CNotListedNetworkDlg::CNotListedNetworkDlg() : CMainResultPage(IDD_NOT_LISTED_NETWORK, {1033}) {}

void CNotListedNetworkDlg::Prepare()
{
    if (GetSafeHwnd() == nullptr)
        return;
    SetText(kIdMessage, WithLineBreaks(Text(L"TSY_NOTLISTEDNETWORK_STRING1")), 4);
    SetSupportLinks();
    SetText(kIdRetry, Text(L"TSY_RETRY_BUTTON"), 5);
    SetText(IDCANCEL, Text(L"TSY_EXIT_BUTTON"), 5);
}

void CNotListedNetworkDlg::OnLinkClicked(int id)
{
    switch (id) {
    case kResultCustomerCareId:
        OpenStringTableLink(L"TSY_URL_KELO", L"@CNotListedNetworkDlg::OnNMClickSyslink1 Page not found\r\n%s");
        break;
    case kResultForumId:
        OpenStringTableLink(L"TSY_URL_FORUM", L"@CNotListedNetworkDlg::OnNMClickSyslink2 Page not found\r\n%s");
        break;
    case kResultDownloadId:
        OpenStringTableLink(L"TSY_URL_DU", L"@CNotListedNetworkDlg::OnNMClickSyslink3 Page not found\r\n%s");
        break;
    default:
        break;
    }
}

bool CNotListedNetworkDlg::OnButton(int id)
{
    if (id != kIdRetry)
        return false;
    CDiagnosticMgr* manager = theApp.DiagnosisManager();
    HWND main = theApp.MainWindow();
    if (manager != nullptr && manager->CheckNetworkSettings()) {
        // The same search window the selection page runs.
        CEnumerateDlg::searchNetworkPrinters(GetSafeHwnd());
        if (main != nullptr)
            ::SendMessageW(main, kMsgPageCommandToMain, 1, 0);
    } else if (main != nullptr) {
        ::SendMessageW(main, kMsgPageCommandToMain, 25, 0);
    }
    EndDialog(2);
    return true;
}
