#include "pages/InkLevelDlg.h"

#include <commctrl.h>

#include "app/AppMessages.h"
#include "app/engine/DeviceOperations.h"
#include "app/FontUtil.h"
#include "app/KeloTessalyApp.h"
#include "res/resource.h"

CInkLevelDlg::CInkLevelDlg() : CTabPage(IDD_INK_LEVELS), headingFont_(CreateInterfaceFont(19, FW_BOLD)) {}

BOOL CInkLevelDlg::OnInitDialog()
{
    list_.Attach(GetDlgItem(IDC_INK_LIST));
    PrepareInkPage();
    return TRUE;
}

void CInkLevelDlg::PrepareInkPage()
{
    if (GetSafeHwnd() == nullptr)
        return;
    const bool appFonts = ApplicationFonts();
    SetHeading(appFonts ? theApp.AppFont(2) : headingFont_.get());
    HFONT text = appFonts ? theApp.AppFont(4) : PageFont(3);
    for (int id : {IDC_INK_NOTICE, IDC_INK_REGION_LABEL, IDC_INK_REGION})
        SetFont(id, text);
    HFONT button = appFonts ? theApp.AppFont(5) : PageFont(5);
    for (int id : {IDC_INK_REFRESH, IDC_TAB_EXIT})
        SetFont(id, button);
    SetKeyText(IDC_INK_REGION_LABEL, L"TSY_INKLEVELS_PRINTERREGION");
    SetKeyText(IDC_INK_NOTICE, L"TSY_INKLEVELS_HEAD");
    SetKeyText(IDC_INK_REFRESH, L"TSY_Refresh_BUTTON");
    SetKeyText(IDC_TAB_EXIT, L"TSY_EXIT_BUTTON");
    list_.SetConsumables(nullptr);
    list_.Clear();
}

void CInkLevelDlg::FillInkPage()
{
    HWND hwnd = GetSafeHwnd();
    if (hwnd == nullptr)
        return;
    const CDeviceAccessManager* access = ServingManager();
    consumables_ = access != nullptr ? access->Records().inkList : std::vector<InkInfo>();
    SetKeyText(IDC_INK_NOTICE, consumables_.empty() ? L"TSY_INK_LEVEL_NO_DATA" : L"TSY_INKLEVELS_HEAD");
    SetText(IDC_INK_REGION, PrinterRegionText());

    list_.SetConsumables(&consumables_);
    list_.Rebuild();

    for (int id : {IDC_INK_REGION_LABEL, IDC_INK_REGION, IDC_INK_LIST}) {
        ::EnableWindow(GetDlgItem(id), TRUE);
        ::ShowWindow(GetDlgItem(id), SW_SHOW);
    }
    RepaintMainWindow();
    ::SetFocus(GetDlgItem(IDC_INK_REFRESH));
    ::ShowWindow(hwnd, SW_SHOW);
}

bool CInkLevelDlg::OnButton(int id)
{
    switch (id) {
    case IDC_INK_REFRESH:
        if (CDiagnosticMgr* manager = Manager())
            ResetAllDeviceData(*manager);
        if (HWND main = theApp.MainWindow())
            ::SendMessageW(main, kMsgReadDeviceAgain, 2, 0);
        return true;
    case IDC_TAB_EXIT:
        CloseMainWindow();
        return true;
    default:
        return false;
    }
}

bool CInkLevelDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlType != ODT_LISTVIEW || measure->CtlID != IDC_INK_LIST)
            break;
        list_.MeasureItem(*measure);
        result = TRUE;
        return true;
    }
    case WM_DRAWITEM: {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (draw->CtlType != ODT_LISTVIEW || draw->CtlID != IDC_INK_LIST)
            break;
        list_.DrawItem(*draw);
        result = TRUE;
        return true;
    }
    default:
        break;
    }
    return CTabPage::OnMessage(message, wParam, lParam, result);
}
