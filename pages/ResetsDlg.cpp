#include "pages/ResetsDlg.h"

#include "app/FontUtil.h"
#include "app/KeloTessalyApp.h"
#include "app/engine/DiagnosticMgr.h"
#include "pages/WizardPage.h"
#include "support/LanguageChoice.h"
#include "support/LogFile.h"

namespace {

constexpr int kResetIconSize = 32;

HICON ResetIcon()
{
    return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SERVICE), IMAGE_ICON,
                                           kResetIconSize, kResetIconSize, LR_SHARED));
}

} // namespace

BOOL CResetConfirmationDlg::OnInitDialog()
{
    const XMLHandler& strings = StringTable();
    HFONT message = nullptr;
    HFONT confirmation = nullptr;
    HFONT ok = nullptr;
    buttonFont_.reset(CreateInterfaceFont(15, 400));
    HFONT no = buttonFont_.get();
    if (UsesApplicationFonts(strings.LanguageId())) {
        message = theApp.AppFont(4);
        confirmation = theApp.AppFont(8);
        ok = theApp.AppFont(5);
    } else {
        textFont_.reset(CreateInterfaceFont(15, 500));
        boldFont_.reset(CreateInterfaceFont(18, 700));
        message = textFont_.get();
        confirmation = boldFont_.get();
        ok = buttonFont_.get();
    }
    const struct {
        int id;
        const wchar_t* key;
        HFONT font;
    } items[] = {
        {IDC_RESET_WARNING_TEXT, L"TSY_RESET_MSG", message},
        {IDC_RESET_CONFIRMATION_TEXT, L"TSY_RESET_CONFIRMATION", confirmation},
        {IDOK, L"TSY_OK_BUTTON", ok},
        {IDCANCEL, L"TSY_NO_BUTTON", no},
    };
    for (const auto& item : items) {
        HWND control = GetDlgItem(item.id);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(item.font), TRUE);
        ::SetWindowTextW(control, strings.GetString(item.key).c_str());
    }
    ::SetWindowTextW(GetSafeHwnd(), strings.GetString(L"TSY_TITLE_WARNING").c_str());
    HICON warning = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr),
                                                    MAKEINTRESOURCEW(IDI_WARNING_TRIANGLE), IMAGE_ICON, 0, 0,
                                                    LR_DEFAULTSIZE | LR_SHARED));
    ::SendMessageW(GetDlgItem(IDC_RESET_WARNING_ICON), STM_SETICON, reinterpret_cast<WPARAM>(warning), 0);
    ::SendMessageW(GetSafeHwnd(), WM_SETICON, ICON_SMALL, 0);
    return TRUE;
}

CResetsDlg::CResetsDlg() : CMainResultPage(IDD_RESETS, {1033, 1028, 1041, 2052}) {}

void CResetsDlg::Prepare()
{
    if (GetSafeHwnd() == nullptr)
        return;
    HICON icon = ResetIcon();
    for (int id : {IDC_RESET_BUTTON, IDC_MEMORY_RESET_BUTTON})
        ::SendMessageW(GetDlgItem(id), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));

    SetText(IDC_PAGE_HEADING, SelectedPrinterHeading(), 2);
    SetText(IDC_RESET_HEAD, Text(L"TSY_RESETS_HEAD1"), 4);
    SetText(IDC_MEMORY_RESET_HEAD, Text(L"TSY_RESETS_HEAD2"), 4);
    SetText(IDC_RESET_MESSAGE, Text(L"TSY_RESETS_MSG1"), 6);
    SetText(IDC_MEMORY_RESET_MESSAGE, Text(L"TSY_RESETS_MSG2"), 6);
    SetText(IDC_RESETS_EXIT, Text(L"TSY_EXIT_BUTTON"), 5);
    ::SetFocus(GetDlgItem(IDC_RESETS_EXIT));
}

bool CResetsDlg::OnButton(int id)
{
    switch (id) {
    case IDC_RESET_BUTTON:
    case IDC_MEMORY_RESET_BUTTON:
        ConfirmAndReset();
        return true;
    case IDC_RESETS_EXIT:
        CloseToParent();
        return true;
    default:
        return false;
    }
}

void CResetsDlg::ConfirmAndReset()
{
    CResetConfirmationDlg confirmation;
    if (confirmation.DoModal(GetSafeHwnd()) != IDOK)
        return;
    // The worker resets a copy taken now: the user may pick another printer while it runs.
    const CDiagnosticMgr* manager = theApp.DiagnosisManager();
    const std::optional<Device_Dev> device = manager != nullptr ? manager->Selected() : std::nullopt;
    if (!device) {
        LogFile().Write(L"No printer is selected; nothing is reset.");
        return;
    }
    reset_.Start(*device);
}
