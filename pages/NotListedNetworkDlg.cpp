#include "pages/NotListedNetworkDlg.h"

#include "app/AppMessages.h"
#include "app/engine/DiagnosticMgr.h"
#include "app/EnumerateDlg.h"
#include "app/KeloTessalyApp.h"
#include "pages/FeedbackDlg.h"
#include "res/resource.h"


CNotListedNetworkDlg::CNotListedNetworkDlg() : CMainResultPage(IDD_NOT_LISTED_NETWORK, {1033}) {}

void CNotListedNetworkDlg::Prepare()
{
    if (GetSafeHwnd() == nullptr)
        return;
    SetText(IDC_NOT_LISTED_NETWORK_MESSAGE, WithLineBreaks(Text(L"TSY_NOTLISTEDNETWORK_STRING1")), 4);
    SetSupportLinks();
    SetText(IDC_RETRY, Text(L"TSY_RETRY_BUTTON"), 5);
    SetText(IDCANCEL, Text(L"TSY_EXIT_BUTTON"), 5);
}

void CNotListedNetworkDlg::OnLinkClicked(int id)
{
    switch (id) {
    case IDC_RESULT_CUSTOMER_CARE:
        OpenStringTableLink(L"TSY_URL_KELO", L"@CNotListedNetworkDlg::OnNMClickSyslink1 Page not found\r\n%s");
        break;
    case IDC_RESULT_FORUM:
        OpenStringTableLink(L"TSY_URL_FORUM", L"@CNotListedNetworkDlg::OnNMClickSyslink2 Page not found\r\n%s");
        break;
    case IDC_RESULT_DOWNLOAD:
        OpenStringTableLink(L"TSY_URL_DU", L"@CNotListedNetworkDlg::OnNMClickSyslink3 Page not found\r\n%s");
        break;
    default:
        break;
    }
}

bool CNotListedNetworkDlg::OnButton(int id)
{
    if (id != IDC_RETRY)
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
    Hide();
    return true;
}
