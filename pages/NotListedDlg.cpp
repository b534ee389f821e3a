#include "pages/NotListedDlg.h"

#include "app/AppMessages.h"
#include "app/KeloTessalyApp.h"
#include "res/resource.h"


CNotListedDlg::CNotListedDlg() : CMainResultPage(IDD_NOT_LISTED, {1033, 1041, 2052}) {}

void CNotListedDlg::Prepare()
{
    if (GetSafeHwnd() == nullptr)
        return;
    SetText(IDC_NOT_LISTED_TITLE, Text(L"TSY_NOTLISTED_STRING0"), 2);
    const std::wstring steps = Text(L"TSY_NOTLISTED_STRING1") + L"\r\n" + Text(L"TSY_NOTLISTED_STRING2") +
                               L"\r\n\t" + Text(L"TSY_NOTLISTED_STRING3") + L"\r\n\t" +
                               Text(L"TSY_NOTLISTED_STRING4") + L"\r\n" + Text(L"TSY_NOTLISTED_STRING5") + L"\r\n" +
                               Text(L"TSY_NOTLISTED_STRING6") + L"\r\n" + Text(L"TSY_NOTLISTED_STRING7") + L"\r\n" +
                               Text(L"TSY_NOTLISTED_STRING8");
    SetText(IDC_NOT_LISTED_STEPS, steps, 4);
    SetText(IDC_NOT_LISTED_TITLE2, L"", 2);
    SetText(IDC_NOT_LISTED_STEPS2, L"", 4);
    SetText(IDC_RETRY, Text(L"TSY_RETRY_BUTTON"), 5);
    SetText(IDC_NOT_LISTED_EXIT, Text(L"TSY_EXIT_BUTTON"), 5);
}

bool CNotListedDlg::OnButton(int id)
{
    if (id == IDC_RETRY) {
        EnumerateAgain();
        BackToSelection();
        return true;
    }
    if (id == IDC_NOT_LISTED_EXIT) {
        CloseToParent();
        return true;
    }
    return false;
}

bool CNotListedDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == WM_SETFOCUS) {
        ::SetFocus(GetDlgItem(IDC_RETRY));
        result = 0;
        return true;
    }
    return CMainResultPage::OnMessage(message, wParam, lParam, result);
}
