#include "pages/NoNetworkDlg.h"

#include <commctrl.h>

#include <algorithm>

#include "app/AppMessages.h"
#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "discovery/DeviceEnumeration.h"
#include "pages/FeedbackDlg.h"
#include "pages/WizardPageRules.h"
#include "res/resource.h"


CMainResultPage::CMainResultPage(UINT templateId, std::initializer_list<unsigned short> applicationFontLanguages)
    : CDialogExtended(templateId, false), applicationFontLanguages_(applicationFontLanguages)
{
}

HFONT CMainResultPage::RoleFont(int n) const
{
    const unsigned short language = StringTable().LanguageId();
    const bool application = std::find(applicationFontLanguages_.begin(), applicationFontLanguages_.end(),
                                       language) != applicationFontLanguages_.end();
    return application ? theApp.AppFont(n) : PageFont(n);
}

BOOL CMainResultPage::OnInitDialog()
{
    Prepare();
    return TRUE;
}

std::wstring CMainResultPage::Text(const wchar_t* key) { return StringTable().GetString(key); }

std::wstring CMainResultPage::WithLineBreaks(const std::wstring& text)
{
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\\' && i + 1 < text.size() && text[i + 1] == L'n') {
            out += L"\r\n";
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

void CMainResultPage::SetText(int id, const std::wstring& text, int font)
{
    HWND control = GetDlgItem(id);
    if (control == nullptr)
        return;
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(RoleFont(font)), TRUE);
    ::SetWindowTextW(control, text.c_str());
}

void CMainResultPage::SetSupportLinks()
{
    SetText(IDC_RESULT_CUSTOMER_CARE, LinkWithText(L"", Text(L"TSY_LINK_CUSTOMERCARE"), Text(L"TSY_LINK_KELO1")), 4);
    SetText(IDC_RESULT_FORUM, LinkWithText(L"", Text(L"TSY_LINK_SUPPORTFORUM"), Text(L"TSY_LINK_FORUM1")), 4);
    SetText(IDC_RESULT_DOWNLOAD, LinkWithText(L"", Text(L"TSY_LINK_DOWNLOADDU"), Text(L"TSY_LINK_DU")), 4);
}

void CMainResultPage::BackToSelection()
{
    if (HWND main = theApp.MainWindow())
        ::SendMessageW(main, kMsgPageCommandToMain, 1, 0);
    Hide();
}

void CMainResultPage::CloseToParent() { ::SendMessageW(::GetParent(GetSafeHwnd()), WM_CLOSE, 0, 0); }

void CMainResultPage::EnumerateAgain()
{
    CDiagnosticMgr* manager = theApp.DiagnosisManager();
    if (manager == nullptr)
        return;
    DeviceList found;
    EnumeratePrinters(found);
    manager->ReplaceDevices(found);
}

bool CMainResultPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    // The main window has drawn the background beneath the page; these pages have no frame.
    if (ShowBackgroundBeneath(message, wParam, result))
        return true;
    return CDialogExtended::OnMessage(message, wParam, lParam, result);
}

CNoNetworkDlg::CNoNetworkDlg() : CMainResultPage(IDD_NO_NETWORK, {1033, 1028, 1041, 2052}) {}

void CNoNetworkDlg::Prepare()
{
    if (GetSafeHwnd() == nullptr)
        return;
    SetText(IDC_RESULT_MESSAGE, WithLineBreaks(Text(L"TSY_NONETWORK_STRING1")), 4);
    SetSupportLinks();
    SetText(IDC_BACK, Text(L"TSY_BACK_BUTTON"), 5);
    SetText(IDCANCEL, Text(L"TSY_CANCEL_BUTTON"), 5);
}

void CNoNetworkDlg::OnLinkClicked(int id)
{
    switch (id) {
    case IDC_RESULT_CUSTOMER_CARE:
        OpenStringTableLink(L"TSY_URL_KELO", L"@CNoNetworkDlg::OnNMClickSyslink1 Page not found\r\n%s");
        break;
    case IDC_RESULT_FORUM:
        OpenStringTableLink(L"TSY_URL_FORUM", L"@CNoNetworkDlg::OnNMClickSyslink2 Page not found\r\n%s");
        break;
    case IDC_RESULT_DOWNLOAD:
        OpenStringTableLink(L"TSY_URL_DU", L"@CNoNetworkDlg::OnNMClickSyslink3 Page not found\r\n%s");
        break;
    default:
        break;
    }
}

bool CNoNetworkDlg::OnButton(int id)
{
    if (id != IDC_BACK)
        return false;
    BackToSelection();
    return true;
}
