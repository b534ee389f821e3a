#include "pages/ConnectivityDlg.h"

#include "app/engine/DiagnosticMgr.h"
#include "res/resource.h"

namespace {

}

CConnectivityDlg::CConnectivityDlg() : CWizardPage(IDD_CONNECTIVITY, false) {}

BOOL CConnectivityDlg::OnInitDialog()
{
    if (!HasContent())
        return TRUE;
    SetUpStepList();
    SetFonts({{IDC_STEP_LIST, FontRole::StepList}});
    ApplyTexts({{IDC_CLOSE, L"TSY_CLOSE_BUTTON", FontRole::Button}});
    SetFonts({{IDC_PAGE_HEADING, FontRole::Heading}});
    SetHeading();
    Manager()->SetCurrentTestIndex(0);
    ::SetFocus(GetDlgItem(IDC_CLOSE));
    FillStepList();
    SetStepIcon(0, kStepCurrent);
    return FALSE; // the focus is set
}

void CConnectivityDlg::OnPrepare(int32_t) { StartDisplay(); }

void CConnectivityDlg::StartDisplay()
{
    FillStepList();
    const CDiagnosticMgr* manager = Manager();
    const int32_t index = manager != nullptr ? manager->CurrentTestIndex() : -1;
    if (index == 0) {
        SetStepIcons({kStepCurrent, kStepNotRun});
    } else if (index == 1) {
        SetStepIcons({kStepPassed, kStepCurrent});
    }
    SetHeading();
}

bool CConnectivityDlg::OnButton(int id)
{
    if (id != IDC_CLOSE)
        return false;
    CloseMainWindow();
    return true;
}
