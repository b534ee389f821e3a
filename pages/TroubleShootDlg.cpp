#include "pages/TroubleShootDlg.h"

#include <string>

#include "app/FontUtil.h"
#include "app/KeloTessalyApp.h"
#include "pages/DeviceStatusRules.h"
#include "res/resource.h"

namespace {


// Unlike the pages, this window keeps its own fonts for Japanese.
bool UsesApplicationFontsHere(int32_t languageId)
{
    return languageId == 1033 || languageId == 1028 || languageId == 2052;
}

} // namespace

BOOL CTroubleShootDlg::OnInitDialog()
{
    // Named as the button that opens it, so the window is not a blank bar in the task list.
    ::SetWindowTextW(GetSafeHwnd(), StringTable().GetString(L"TSY_TROUBLESHOOT_BUTTON").c_str());
    const std::wstring key = devstatus::TroubleshootStepsKey(case_);
    if (!key.empty())
        ::SetDlgItemTextW(GetSafeHwnd(), IDC_TROUBLESHOOT_STEPS,
                          devstatus::ExpandLineBreaks(StringTable().GetString(key.c_str())).c_str());
    ::SetDlgItemTextW(GetSafeHwnd(), IDC_CLOSE, StringTable().GetString(L"TSY_CLOSE_BUTTON").c_str());
    HFONT text = nullptr;
    HFONT button = nullptr;
    if (UsesApplicationFontsHere(StringTable().LanguageId())) {
        text = theApp.AppFont(4);
        button = theApp.AppFont(5);
    } else {
        textFont_.reset(CreateInterfaceFont(15, 500));
        buttonFont_.reset(CreateInterfaceFont(15, 400));
        text = textFont_.get();
        button = buttonFont_.get();
    }
    ::SendMessageW(GetDlgItem(IDC_TROUBLESHOOT_STEPS), WM_SETFONT, reinterpret_cast<WPARAM>(text), TRUE);
    ::SendMessageW(GetDlgItem(IDC_CLOSE), WM_SETFONT, reinterpret_cast<WPARAM>(button), TRUE);
    ::SetFocus(GetDlgItem(IDC_CLOSE));
    return FALSE; // the focus is set
}

bool CTroubleShootDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_CLOSE && HIWORD(wParam) == BN_CLICKED) {
        EndDialog(IDC_CLOSE);
        result = 0;
        return true;
    }
    return CDialogBase::OnMessage(message, wParam, lParam, result);
}
