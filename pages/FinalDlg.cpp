#include "pages/FinalDlg.h"

#include "app/AppMessages.h"
#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "discovery/DeviceEnumeration.h"
#include "pages/FeedbackDlg.h"
#include "res/resource.h"


CFinalDlg::CFinalDlg() : CWizardPage(IDD_FINAL, false) {}

BOOL CFinalDlg::OnInitDialog()
{
    if (!SetUpPage({{IDC_FINAL_HEADING, L"TSY_HARDWAREPASSED_HEADING1", FontRole::Heading},
                    {1027, L"TSY_HARDWAREPASSED_MESSAGE1", FontRole::Message},
                    {IDC_BACK, L"TSY_BACK_BUTTON", FontRole::Button},
                    {IDC_CLOSE, L"TSY_CLOSE_BUTTON", FontRole::Button}}))
        return TRUE;
    OnPrepare(0);
    return TRUE;
}

void CFinalDlg::OnPrepare(int32_t command)
{
    CWizardPage::OnPrepare(command);
    SetItemText(IDC_DOWNLOAD_LINK, LinkMarkup(Text(L"TSY_LINK_DOWNLOADDU")) + L"\r\n" + Text(L"TSY_LINK_DU"));
    SetItemText(IDC_CUSTOMER_CARE_LINK, CustomerCareLinkText());
    SetItemText(IDC_FORUM_LINK, ForumLinkText());
    SetFonts({{IDC_DOWNLOAD_LINK, FontRole::Link}, {IDC_CUSTOMER_CARE_LINK, FontRole::Link}, {IDC_FORUM_LINK, FontRole::Link}});
    SetFeedbackLink(IDC_FEEDBACK_LINK);
    PlaceLinks();
    FrameAround(IDC_PAGE_MESSAGE);
    ShowStepIcons();
}

void CFinalDlg::PlaceLinks()
{
    FlowBelowMessage({{IDC_DOWNLOAD_LINK}, {IDC_CUSTOMER_CARE_LINK}, {IDC_FORUM_LINK}, {IDC_FEEDBACK_LINK}});
}

void CFinalDlg::RefreshShown()
{
    SetFeedbackLink(IDC_FEEDBACK_LINK);
    PlaceLinks();
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
    Hide();
}

bool CFinalDlg::OnButton(int id)
{
    if (id == IDC_BACK) {
        StartOver();
        return true;
    }
    if (id == IDC_CLOSE) {
        CloseMainWindow();
        return true;
    }
    return false;
}

void CFinalDlg::OnLinkClicked(int id)
{
    switch (id) {
    case IDC_DOWNLOAD_LINK:
        OpenStringTableLink(L"TSY_URL_DU", nullptr);
        break;
    case IDC_CUSTOMER_CARE_LINK:
        OpenProductSupport(L"s-001");
        break;
    case IDC_FORUM_LINK:
        OpenStringTableLink(L"TSY_URL_FORUM", nullptr);
        break;
    case IDC_FEEDBACK_LINK:
        OpenSurveyLink();
        break;
    default:
        break;
    }
}

bool CFinalDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == WM_SETFOCUS && HasContent()) {
        ::SetFocus(GetDlgItem(IDC_BACK));
        result = 0;
        return true;
    }
    return CWizardPage::OnMessage(message, wParam, lParam, result);
}
