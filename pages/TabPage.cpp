#include "pages/TabPage.h"

#include "app/AppMessages.h"
#include "app/engine/DeviceOperations.h"
#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "pages/WizardPage.h"
#include "res/resource.h"
#include "support/LanguageChoice.h"

bool CTabPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    // The main window has drawn the background beneath the page.
    if (ShowBackgroundBeneath(message, wParam, result))
        return true;
    return CDialogExtended::OnMessage(message, wParam, lParam, result);
}

CDiagnosticMgr* CTabPage::Manager() { return theApp.DiagnosisManager(); }

std::optional<Device_Dev> CTabPage::SelectedPrinter()
{
    const CDiagnosticMgr* manager = Manager();
    if (manager == nullptr || manager->Devices().empty())
        return std::nullopt;
    return manager->Selected();
}

CDeviceAccessManager* CTabPage::ServingManager()
{
    CDiagnosticMgr* manager = Manager();
    const std::optional<Device_Dev> device = SelectedPrinter();
    if (!device)
        return nullptr;
    return &manager->ManagerFor(DeviceOperationPath(*device));
}

std::wstring CTabPage::Text(const wchar_t* key) { return StringTable().GetString(key); }

bool CTabPage::ApplicationFonts() { return UsesApplicationFonts(StringTable().LanguageId()); }

void CTabPage::SetText(int id, const std::wstring& text)
{
    HWND control = GetDlgItem(id);
    if (control == nullptr)
        return;
    wchar_t old[512] = {};
    ::GetWindowTextW(control, old, 512);
    if (text == old)
        return;
    ::SetWindowTextW(control, text.c_str());
    // A transparent text does not erase the old one: the window beneath the page paints there
    // again, and the controls over it after it.
    HWND beneath = ::GetParent(GetSafeHwnd());
    if (beneath == nullptr || !::IsWindowVisible(control))
        return;
    RECT area;
    ::GetWindowRect(control, &area);
    ::MapWindowPoints(nullptr, beneath, reinterpret_cast<POINT*>(&area), 2);
    ::RedrawWindow(beneath, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CTabPage::SetFont(int id, HFONT font)
{
    if (HWND control = GetDlgItem(id))
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void CTabPage::SetHeading(HFONT font)
{
    SetFont(IDC_PAGE_HEADING, font);
    SetText(IDC_PAGE_HEADING, SelectedPrinterHeading());
}

void CTabPage::CloseMainWindow()
{
    if (HWND main = theApp.MainWindow())
        ::SendMessageW(main, WM_CLOSE, 0, 0);
}

void CTabPage::RepaintMainWindow()
{
    if (HWND main = theApp.MainWindow())
        ::SendMessageW(main, kMsgRepaint, 0, 0);
}
