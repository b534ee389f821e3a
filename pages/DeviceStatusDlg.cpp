#include "pages/DeviceStatusDlg.h"

#include "app/DiagnosticMgr.h"
#include "res/resource.h"

CDeviceStatusDlg::CDeviceStatusDlg() : CWizardPage(IDD_DEVICE_STATUS, false) {}

BOOL CDeviceStatusDlg::OnInitDialog()
{
    if (!SetUpPage({{1000, L"TSY_TROUBLESHOOT_BUTTON", FontRole::Button},
                    {1005, L"TSY_RETRY_BUTTON", FontRole::Button},
                    {1020, L"TSY_CLOSE_BUTTON", FontRole::Button},
                    {1002, L"TSY_CANCEL_BUTTON", FontRole::Button}}))
        return TRUE;
    OnPrepare(0);
    return TRUE;
}

void CDeviceStatusDlg::OnPrepare(int32_t command)
{
    CWizardPage::OnPrepare(command);
    FrameAround(kIdMessage);
    SetKeyText(kIdMessage, command == 15 ? L"TSY_PRINT_FAILED" : L"TSY_DEVID_ERROR_STATUS_MSG");
    SetFonts({{kIdMessage, FontRole::Message}});
    // Steps before the one that stopped passed, that one failed.
    const CDiagnosticMgr* manager = Manager();
    const int32_t stopped = manager != nullptr ? manager->CurrentTestIndex() : 0;
    for (int row = 0; row < kStepCount; ++row)
        SetStepIcon(row, row < stopped ? kStepPassed : row == stopped ? kStepFailed : kStepNotRun);
    if (stopped >= 2)
        SetStepIcon(1, VerdictIcon());
}
