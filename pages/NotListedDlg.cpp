#include "pages/NotListedDlg.h"

#include "app/AppMessages.h"
#include "app/KeloTessalyApp.h"

namespace {

constexpr int kIdTitle = 1009;
constexpr int kIdSteps = 1010;
constexpr int kIdTitle2 = 1011;
constexpr int kIdSteps2 = 1012;
constexpr int kIdRetry = 1005;
constexpr int kIdExit = 1031;

} // namespace

CNotListedDlg::CNotListedDlg() : CMainResultPage(IDD_NOT_LISTED, {1033, 1041, 2052}) {}

void CNotListedDlg::Prepare()
{
    if (GetSafeHwnd() == nullptr)
        return;
    SetText(kIdTitle, Text(L"TSY_NOTLISTED_STRING0"), 2);
    const std::wstring steps = Text(L"TSY_NOTLISTED_STRING1") + L"\r\n" + Text(L"TSY_NOTLISTED_STRING2") +
                               L"\r\n\t" + Text(L"TSY_NOTLISTED_STRING3") + L"\r\n\t" +
                               Text(L"TSY_NOTLISTED_STRING4") + L"\r\n" + Text(L"TSY_NOTLISTED_STRING5") + L"\r\n" +
                               Text(L"TSY_NOTLISTED_STRING6") + L"\r\n" + Text(L"TSY_NOTLISTED_STRING7") + L"\r\n" +
                               Text(L"TSY_NOTLISTED_STRING8");
    SetText(kIdSteps, steps, 4);
    SetText(kIdTitle2, L"", 2);
    SetText(kIdSteps2, L"", 4);
    SetText(kIdRetry, Text(L"TSY_RETRY_BUTTON"), 5);
    SetText(kIdExit, Text(L"TSY_EXIT_BUTTON"), 5);
}

bool CNotListedDlg::OnButton(int id)
{
    if (id == kIdRetry) {
        EnumerateAgain();
        BackToSelection();
        return true;
    }
    if (id == kIdExit) {
        CloseToParent();
        return true;
    }
    return false;
}

bool CNotListedDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == WM_SETFOCUS) {
        ::SetFocus(GetDlgItem(kIdRetry));
        result = 0;
        return true;
    }
    return CMainResultPage::OnMessage(message, wParam, lParam, result);
}
