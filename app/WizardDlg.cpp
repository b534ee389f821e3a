#include "app/WizardDlg.h"

#include "app/AppMessages.h"
#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "discovery/UsbStatus.h"
#include "pages/ConnectivityDlg.h"
#include "pages/CopyEvaluationDlg.h"
#include "pages/CopyFailedDlg.h"
#include "pages/CopyTestDlg.h"
#include "pages/DeviceStatusDlg.h"
#include "pages/FinalDlg.h"
#include "pages/NoPrintDlg.h"
#include "pages/NotSupportedDlg.h"
#include "pages/PrintBadDlg.h"
#include "pages/PrintEvaluationDlg.h"
#include "pages/PrintTestDlg.h"
#include "res/resource.h"
#include "winapi/NGWinApi.h"

namespace {

constexpr UINT_PTR kBlinkTimer = 100;
constexpr UINT kBlinkPeriodMs = 300;

} // namespace

CWizardDlg::CWizardDlg()
    : CDialogExtended(IDD_WIZARD, false),
      connectivity_(std::make_unique<CConnectivityDlg>()),
      printTest_(std::make_unique<CPrintTestDlg>()),
      notSupported_(std::make_unique<CNotSupportedDlg>()),
      printEvaluation_(std::make_unique<CPrintEvaluationDlg>()),
      copyTest_(std::make_unique<CCopyTestDlg>()),
      copyEvaluation_(std::make_unique<CCopyEvaluationDlg>()),
      final_(std::make_unique<CFinalDlg>()),
      noPrint_(std::make_unique<CNoPrintDlg>()),
      deviceStatus_(std::make_unique<CDeviceStatusDlg>()),
      printBad_(std::make_unique<CPrintBadDlg>()),
      copyFailed_(std::make_unique<CCopyFailedDlg>())
{
}

CWizardDlg::~CWizardDlg() { ForgetNotifyWindow(); }

void CWizardDlg::ForgetNotifyWindow() const
{
    // Progress of a worker still running must not reach a window that is gone.
    CDiagnosticMgr* manager = theApp.DiagnosisManager();
    if (manager != nullptr && GetSafeHwnd() != nullptr && manager->NotifyWindow() == GetSafeHwnd())
        manager->SetNotifyWindow(nullptr);
}

std::array<CWizardPage*, 11> CWizardDlg::Pages() const
{
    return {connectivity_.get(), printTest_.get(),  notSupported_.get(), printEvaluation_.get(),
            copyTest_.get(),     copyEvaluation_.get(), final_.get(), noPrint_.get(),
            deviceStatus_.get(), printBad_.get(),   copyFailed_.get()};
}

BOOL CWizardDlg::OnInitDialog()
{
    HWND hwnd = GetSafeHwnd();
    for (CWizardPage* page : Pages())
        page->Create(hwnd);
    if (CDiagnosticMgr* manager = theApp.DiagnosisManager())
        manager->SetNotifyWindow(hwnd);
    return TRUE;
}

void CWizardDlg::Reset()
{
    for (CWizardPage* page : Pages())
        page->ResetPage();
    if (CDiagnosticMgr* manager = theApp.DiagnosisManager())
        manager->SetCurrentTestIndex(0);
    if (HWND hwnd = GetSafeHwnd())
        ::SendMessageW(hwnd, kMsgPageCommand, static_cast<WPARAM>(initialPageCommand_), 0);
}

int CWizardDlg::InitialPageCommand() const { return initialPageCommand_; }
void CWizardDlg::SetInitialPageCommand(int command) { initialPageCommand_ = command; }
int CWizardDlg::SimulatedStatusCode() const { return simulatedStatusCode_; }
void CWizardDlg::SetSimulatedStatusCode(int code) { simulatedStatusCode_ = code; }
CDialogBase* CWizardDlg::CurrentPage() const { return currentPage_; }

CWizardPage* CWizardDlg::PageFor(wizard::Page page) const
{
    switch (page) {
    case wizard::Page::Connectivity:
        return connectivity_.get();
    case wizard::Page::PrintTest:
        return printTest_.get();
    case wizard::Page::NotSupported:
        return notSupported_.get();
    case wizard::Page::PrintEvaluation:
        return printEvaluation_.get();
    case wizard::Page::CopyTest:
        return copyTest_.get();
    case wizard::Page::CopyEvaluation:
        return copyEvaluation_.get();
    case wizard::Page::Final:
        return final_.get();
    case wizard::Page::NoPrint:
        return noPrint_.get();
    case wizard::Page::DeviceStatus:
        return deviceStatus_.get();
    case wizard::Page::PrintBad:
        return printBad_.get();
    case wizard::Page::CopyFailed:
        return copyFailed_.get();
    case wizard::Page::None:
        break;
    }
    return nullptr;
}

bool CWizardDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case kMsgPageCommand:
        OnPageCommand(static_cast<int32_t>(wParam));
        result = 0;
        return true;
    case kMsgTestProgress:
        OnTestProgress(static_cast<int32_t>(wParam));
        result = 0;
        return true;
    case WM_TIMER:
        if (wParam != kBlinkTimer)
            return false;
        OnBlinkTick();
        result = 0;
        return true;
    case WM_DESTROY:
        ForgetNotifyWindow();
        return false;
    default:
        return CDialogExtended::OnMessage(message, wParam, lParam, result);
    }
}

void CWizardDlg::StartTest()
{
    CDiagnosticMgr* manager = theApp.DiagnosisManager();
    if (manager == nullptr)
        return;
    manager->StartTestWorker();
}

void CWizardDlg::ShowPage(CWizardPage* page)
{
    HWND hwnd = page->GetSafeHwnd();
    if (hwnd == nullptr)
        return;
    ::SetParent(hwnd, GetSafeHwnd());
    ::ShowWindow(hwnd, SW_SHOW);
    ::SetFocus(hwnd);
    currentPage_ = page;
}

void CWizardDlg::EndPage(CWizardPage* page) { page->Hide(); }

void CWizardDlg::RepaintApplication() const
{
    if (HWND window = theApp.RepaintWindow())
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void CWizardDlg::OnPageCommand(int32_t command)
{
    CDiagnosticMgr* manager = theApp.DiagnosisManager();
    const wizard::CommandPlan plan = wizard::PlanPageCommand(command);
    if (plan.startTest)
        StartTest();
    const bool testOnly = plan.onlyTestAtIndexZero && (manager == nullptr || manager->CurrentTestIndex() == 0);
    if (!testOnly) {
        if (plan.setTestIndex && manager != nullptr)
            manager->SetCurrentTestIndex(*plan.setTestIndex);
        if (plan.endConnectivity)
            EndPage(connectivity_.get());
        if (CWizardPage* page = PageFor(plan.page)) {
            if (plan.handSimulatedCode && manager != nullptr && manager->ErrorSimulationActive())
                deviceStatus_->SetSimulatedStatusCode(simulatedStatusCode_);
            if (plan.prepare == wizard::Prepare::BeforeShow)
                page->PreparePage(command);
            ShowPage(page);
            if (plan.prepare == wizard::Prepare::AfterShow)
                page->PreparePage(command);
            if (plan.refreshAfterShow)
                page->RefreshShown();
        }
        if (plan.endPrintTest)
            EndPage(printTest_.get());
    }
    RepaintApplication();
}

int32_t CWizardDlg::JudgedStatusCode() const
{
    const CDiagnosticMgr* manager = theApp.DiagnosisManager();
    const std::optional<Device_Dev> device = manager != nullptr ? manager->Selected() : std::nullopt;
    if (!device)
        return wizard::kStatusUnreadable;
    if (device->isNetwork)
        return wizard::JudgedStatusCode(true, device->statusCode, std::nullopt);
    int32_t code = -1;
    if (!ReadUsbStatus(device->address, code))
        return wizard::JudgedStatusCode(false, device->statusCode, std::nullopt);
    return wizard::JudgedStatusCode(false, device->statusCode, code);
}

void CWizardDlg::OnTestProgress(int32_t outcome)
{
    CDiagnosticMgr* manager = theApp.DiagnosisManager();
    HWND hwnd = GetSafeHwnd();
    wizard::OutcomeFacts facts;
    facts.outcome = outcome;
    if (manager != nullptr) {
        facts.testIndex = manager->CurrentTestIndex();
        facts.adfStatus = manager->AdfStatus();
        facts.statusShown = manager->StatusShown();
    }
    if (wizard::NeedsStatusCode(outcome))
        facts.statusCode = JudgedStatusCode();
    const wizard::OutcomeDecision decision = wizard::DecideOutcome(facts);

    if (decision.startBlink) {
        ::SetTimer(hwnd, kBlinkTimer, kBlinkPeriodMs, nullptr);
        blinkFlag_ = true;
        return;
    }
    if (decision.destroyWizard) {
        // The run is over; the other tabs keep working.
        ForgetNotifyWindow();
        DestroyWindow();
        return;
    }
    if (decision.setTestIndex && manager != nullptr)
        manager->SetCurrentTestIndex(*decision.setTestIndex);
    if (decision.endConnectivity == wizard::EndConnectivity::BeforeCommand)
        EndPage(connectivity_.get());
    if (decision.command)
        ::SendMessageW(hwnd, kMsgPageCommand, static_cast<WPARAM>(*decision.command), 0);
    if (decision.endConnectivity == wizard::EndConnectivity::AfterCommand)
        EndPage(connectivity_.get());
    if (decision.stopBlink)
        ::KillTimer(hwnd, kBlinkTimer);
}

void CWizardDlg::OnBlinkTick()
{
    const CDiagnosticMgr* manager = theApp.DiagnosisManager();
    if (manager == nullptr)
        return;
    const int32_t icon = wizard::NextBlinkIcon(blinkFlag_);
    CWizardPage* target = PageFor(wizard::BlinkTarget(manager->CurrentTestIndex()));
    if (target != nullptr && target->GetSafeHwnd() != nullptr)
        ::SendMessageW(target->GetSafeHwnd(), kMsgStepBlink, static_cast<WPARAM>(icon), 0);
}
