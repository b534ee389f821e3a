#include "app/AboutDlg.h"

#include "app/KeloTessalyApp.h"
#include "res/resource.h"
#include "support/ModuleInfo.h"


CAboutDlg::CAboutDlg() : CDialogBase(IDD_ABOUTBOX) {}

std::wstring CAboutDlg::ProductVersionText()
{
    return GetModuleProductVersionString();
}

BOOL CAboutDlg::OnInitDialog()
{
    HWND hwnd = GetSafeHwnd();
    const XMLHandler& strings = StringTable();
    ::SetWindowTextW(hwnd, strings.GetString(L"TSY_ABOUT_STRING").c_str());
    const std::wstring message = strings.GetString(L"TSY_ABOUT_MSG") + L" " + ProductVersionText();
    ::SetDlgItemTextW(hwnd, IDC_ABOUT_MESSAGE, message.c_str());
    ::SetDlgItemTextW(hwnd, IDC_ABOUT_COPYRIGHT, strings.GetString(L"TSY_ABOUT_COPY").c_str());
    ::SetDlgItemTextW(hwnd, IDOK, strings.GetString(L"TSY_OK_BUTTON").c_str());
    return TRUE;
}
