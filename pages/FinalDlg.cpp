#include "pages/FinalDlg.h"

#include "app/AppMessages.h"
#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "discovery/DeviceEnumeration.h"
#include "pages/FeedbackDlg.h"
#include "res/resource.h"

namespace {

constexpr int kIdBack = 1006;
constexpr int kIdClose = 1020;
constexpr int kIdForum = 1041;
constexpr int kIdFeedback = 1042;
constexpr int kIdCustomerCare = 1043;
constexpr int kIdDownload = 1046;

} // namespace

CFinalDlg::CFinalDlg() : CWizardPage(IDD_FINAL, false) {}

BOOL CFinalDlg::OnInitDialog()
{
    if (!SetUpPage({{1030, L"TSY_HARDWAREPASSED_HEADING1", FontRole::Heading},
                    {1027, L"TSY_HARDWAREPASSED_MESSAGE1", FontRole::Message},
                    {kIdBack, L"TSY_BACK_BUTTON", FontRole::Button},
                    {kIdClose, L"TSY_CLOSE_BUTTON", FontRole::Button}}))
        return TRUE;
    OnPrepare(0);
    return TRUE;
}

void CFinalDlg::OnPrepare(int32_t command)
{
    CWizardPage::OnPrepare(command);
    SetItemText(kIdDownload, LinkMarkup(Text(L"TSY_LINK_DOWNLOADDU")) + L"\r\n" + Text(L"TSY_LINK_DU"));
    SetItemText(kIdCustomerCare, CustomerCareLinkText());
    SetItemText(kIdForum, ForumLinkText());
    SetFonts({{kIdDownload, FontRole::Link}, {kIdCustomerCare, FontRole::Link}, {kIdForum, FontRole::Link}});
    SetFeedbackLink(kIdFeedback);
    FrameAround(kIdMessage);
    ShowStepIcons();
}

void CFinalDlg::RefreshShown()
{
    SetFeedbackLink(kIdFeedback);
    ShowStepIcons();
    SetHeading();
}

void CFinalDlg::ShowStepIcons()
{
    SetStepIcons({kStepPassed, StatusStepIcon(), kStepPassed, kStepPassed, kStepPassed, kStepPassed});
}

void CFinalDlg::StartOver()
{
    CDiagnosticMgr* manager = Manager();
    if (manager == nullptr || manager->ErrorSimulationActive())
        return;
    manager->SetCurrentTestIndex(kConnectivityTestIndex);
    HWND main = theApp.MainWindow();
    if (main != nullptr) {
        // The printers may have changed since the run began.
        DeviceList found;
        EnumeratePrinters(found);
        manager->ReplaceDevices(found);
    }
    theApp.AnswerTrail().clear();
    theApp.ErrorTrail().clear();
    manager->SetNetworkSearchDone(false);
    if (main != nullptr)
        ::SendMessageW(main, kMsgPageCommandToMain, 1, 0);
    EndDialog(2);
}

bool CFinalDlg::OnButton(int id)
{
    if (id == kIdBack) {
        StartOver();
        return true;
    }
    if (id == kIdClose) {
        CloseMainWindow();
        return true;
    }
    return false;
}

void CFinalDlg::OnLinkClicked(int id)
{
    switch (id) {
    case kIdDownload:
        OpenStringTableLink(L"TSY_URL_DU", nullptr);
        break;
    case kIdCustomerCare:
        OpenProductSupport(L"s-001");
        break;
    case kIdForum:
        OpenStringTableLink(L"TSY_URL_FORUM", nullptr);
        break;
    case kIdFeedback:
        OpenSurveyLink();
        break;
    default:
        break;
    }
}

bool CFinalDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == WM_SETFOCUS && HasContent()) {
        ::SetFocus(GetDlgItem(kIdBack));
        result = 0;
        return true;
    }
    return CWizardPage::OnMessage(message, wParam, lParam, result);
}
