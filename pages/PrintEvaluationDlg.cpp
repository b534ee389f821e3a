#include "pages/PrintEvaluationDlg.h"

#include <string>

#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "app/WizardRules.h"
#include "discovery/UsbStatus.h"
#include "pages/ImageDlg.h"
#include "res/resource.h"
#include "sable/SableManager.h"
#include "support/LogFile.h"
#include "support/ProductInfoColl.h"
#include "tools/LowLevelPrintTest.h"

namespace {


constexpr wchar_t kModelWithoutCopier[] = L"Homeline 5150 Printer - Q884z";

} // namespace

bool SelectedPrinterHasCopier(CDiagnosticMgr& manager)
{
    const std::optional<Device_Dev> device = manager.Selected();
    if (!device)
        return false;
    if (device->isNetwork && CProductInfoColl::IsRestDevice(device->productId)) {
        std::wstring model;
        if (manager.Sable().GetMakeAndModel(*device, model) && model.find(kModelWithoutCopier) != std::wstring::npos)
            return false;
    }
    return CProductInfoColl::IsCopySupported(device->productId);
}

int32_t ReadAnswerStatusFlag(CDiagnosticMgr& manager)
{
    const std::optional<Device_Dev> device = manager.Selected();
    if (!device)
        return wizard::kStatusUnreadable;
    int32_t flag = -1;
    if (device->isNetwork) {
        flag = ReadNetworkStatusFlag(manager, *device);
    } else {
        int32_t code = -1;
        if (ReadUsbStatus(device->address, code))
            flag = code;
    }
    if (flag == -1)
        flag = wizard::kStatusUnreadable;
    manager.UpdateSelected([flag](Device_Dev& selected) { selected.statusCode = flag; });
    return flag;
}

int32_t StatusPageCommand(CDiagnosticMgr& manager, int32_t status)
{
    if (wizard::IsFaultCode(status))
        return wizard::kCmdStatusFault;
    if (!manager.StatusShown()) {
        manager.SetStatusShown(true);
        return wizard::kCmdPowerLoss;
    }
    return wizard::kCmdStatusWithLinks;
}

CPrintEvaluationDlg::CPrintEvaluationDlg() : CWizardPage(IDD_PRINT_EVALUATION, false) {}

BOOL CPrintEvaluationDlg::OnInitDialog()
{
    if (!SetUpPage({{IDC_PAGE_MESSAGE, L"TSY_DIAGNOSE_PRINTEVALUATION_MSG", FontRole::Message},
                    {IDC_PRINT_GOOD, L"TSY_PRINTGOOD_BUTTON", FontRole::Button},
                    {IDC_PRINT_BAD, L"TSY_PRINTBAD_BUTTON", FontRole::Button},
                    {IDC_NO_PRINT, L"TSY_NOPRINT_BUTTON", FontRole::Button},
                    {IDC_SHOW_PAGE, L"TSY_SHOWPAGE_BUTTON", FontRole::Button},
                    {IDC_PAGE_CANCEL, L"TSY_CANCEL_BUTTON", FontRole::Button}},
                   true))
        return TRUE;
    SetHeading();
    ::SetFocus(GetDlgItem(IDC_PRINT_GOOD));
    FillStepList();
    Refresh();
    return FALSE; // the focus is set
}

void CPrintEvaluationDlg::OnPrepare(int32_t)
{
    // This page names the printer by its device name.
    SetHeading();
    FillStepList();
    FrameAround(IDC_PAGE_MESSAGE);
    Refresh();
}

void CPrintEvaluationDlg::Refresh()
{
    if (Simulating()) {
        SetStepIcons({kStepPassed, kStepPassed, kStepPassed, kStepCurrent, kStepNotRun, kStepNotRun});
        return;
    }
    SetStepIcons({kStepPassed, VerdictIcon(), kStepPassed, kStepCurrent, kStepNotRun, kStepNotRun});
    SetHeading();
}

bool CPrintEvaluationDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == WM_SETFOCUS) {
        Refresh();
        ::SetFocus(GetDlgItem(IDC_PRINT_GOOD));
        result = 0;
        return true;
    }
    return CWizardPage::OnMessage(message, wParam, lParam, result);
}

bool CPrintEvaluationDlg::OnButton(int id)
{
    if (id == IDC_PAGE_CANCEL) {
        CloseMainWindow();
        return true;
    }
    if (id != IDC_PRINT_GOOD && id != IDC_PRINT_BAD && id != IDC_NO_PRINT && id != IDC_SHOW_PAGE)
        return false;
    // The answers mean nothing while a fault is only pretended.
    if (Simulating() || Manager() == nullptr)
        return true;
    switch (id) {
    case IDC_PRINT_GOOD:
        OnPrintGood();
        break;
    case IDC_PRINT_BAD:
        theApp.AnswerTrail() += L"@PrintBad";
        SendPageCommand(wizard::kCmdPrintBad);
        FillStepList();
        break;
    case IDC_NO_PRINT:
        OnNoPrint();
        break;
    case IDC_SHOW_PAGE: {
        CImageDlg picture;
        picture.DoModal(GetSafeHwnd());
        ::SetFocus(GetDlgItem(IDC_PRINT_GOOD));
        break;
    }
    default:
        break;
    }
    return true;
}

void CPrintEvaluationDlg::OnPrintGood()
{
    CDiagnosticMgr& manager = *Manager();
    theApp.AnswerTrail() += L"@PrintGood";
    if (SelectedPrinterHasCopier(manager)) {
        manager.SetCurrentTestIndex(kLowLevelPrintTestIndex);
        SendPageCommand(wizard::kCmdCopyTest);
        return;
    }
    SetStepIcon(kLowLevelPrintTestIndex, kStepPassed);
    SetStepIcon(kPrintEvaluationTestIndex, kStepPassed);
    manager.SetCurrentTestIndex(kCopyTestIndex);
    SendPageCommand(wizard::kCmdFinal);
}

void CPrintEvaluationDlg::OnNoPrint()
{
    CDiagnosticMgr& manager = *Manager();
    theApp.AnswerTrail() += L"@NoPrint";
    const int32_t status = ReadAnswerStatusFlag(manager);
    LogFile().Write(L"No Print: status flag %d", status);
    SendPageCommand(status == 0 ? wizard::kCmdNoPrint : StatusPageCommand(manager, status));
    FillStepList();
}
