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

constexpr int kIdPrintGood = 1003;
constexpr int kIdPrintBad = 1018;
constexpr int kIdNoPrint = 1013;
constexpr int kIdShowPage = 1019;
constexpr int kIdCancel = 1002;

constexpr wchar_t kModelWithoutCopier[] = L"Homeline 5150 Printer - Q884z";

} // namespace

bool SelectedPrinterHasCopier(CDiagnosticMgr& manager)
{
    const Device_Dev* device = manager.Selected();
    if (device == nullptr)
        return false;
    if (device->isNetwork && CProductInfoColl::IsRestDevice(device->productId)) {
        manager.PublishSelection();
        std::wstring model;
        if (manager.Sable().GetMakeAndModel(model) && model.find(kModelWithoutCopier) != std::wstring::npos)
            return false;
    }
    return CProductInfoColl::IsCopySupported(device->productId);
}

int32_t ReadAnswerStatusFlag(CDiagnosticMgr& manager)
{
    Device_Dev* device = manager.Selected();
    if (device == nullptr)
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
    device->statusCode = flag;
    manager.PublishSelection();
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
    if (!SetUpPage({{1027, L"TSY_DIAGNOSE_PRINTEVALUATION_MSG", FontRole::Message},
                    {kIdPrintGood, L"TSY_PRINTGOOD_BUTTON", FontRole::Button},
                    {kIdPrintBad, L"TSY_PRINTBAD_BUTTON", FontRole::Button},
                    {kIdNoPrint, L"TSY_NOPRINT_BUTTON", FontRole::Button},
                    {kIdShowPage, L"TSY_SHOWPAGE_BUTTON", FontRole::Button},
                    {kIdCancel, L"TSY_CANCEL_BUTTON", FontRole::Button}},
                   true))
        return TRUE;
    SetHeading(true);
    ::SetFocus(GetDlgItem(kIdPrintGood));
    FillStepList();
    Refresh();
    return FALSE; // the focus is set
}

void CPrintEvaluationDlg::OnPrepare(int32_t)
{
    // This page names the printer by its device name.
    SetHeading(true);
    FillStepList();
    FrameAround(kIdMessage);
    Refresh();
}

void CPrintEvaluationDlg::Refresh()
{
    if (Simulating()) {
        SetStepIcons({kStepPassed, kStepPassed, kStepPassed, kStepCurrent, kStepNotRun, kStepNotRun});
        return;
    }
    SetStepIcons({kStepPassed, VerdictIcon(), kStepPassed, kStepCurrent, kStepNotRun, kStepNotRun});
    SetHeading(true);
}

bool CPrintEvaluationDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == WM_SETFOCUS) {
        Refresh();
        ::SetFocus(GetDlgItem(kIdPrintGood));
        result = 0;
        return true;
    }
    return CWizardPage::OnMessage(message, wParam, lParam, result);
}

bool CPrintEvaluationDlg::OnButton(int id)
{
    if (id == kIdCancel) {
        CloseMainWindow();
        return true;
    }
    if (id != kIdPrintGood && id != kIdPrintBad && id != kIdNoPrint && id != kIdShowPage)
        return false;
    // The answers mean nothing while a fault is only pretended.
    if (Simulating() || Manager() == nullptr)
        return true;
    switch (id) {
    case kIdPrintGood:
        OnPrintGood();
        break;
    case kIdPrintBad:
        theApp.AnswerTrail() += L"@PrintBad";
        SendPageCommand(wizard::kCmdPrintBad);
        FillStepList();
        break;
    case kIdNoPrint:
        OnNoPrint();
        break;
    case kIdShowPage: {
        CImageDlg picture;
        picture.DoModal(GetSafeHwnd());
        ::SetFocus(GetDlgItem(kIdPrintGood));
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
