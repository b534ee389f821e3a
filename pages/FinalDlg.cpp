#include "pages/FinalDlg.h"

#include "app/DiagnosticMgr.h"
#include "res/resource.h"

namespace {

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
                    {1006, L"TSY_BACK_BUTTON", FontRole::Button},
                    {1020, L"TSY_CLOSE_BUTTON", FontRole::Button}}))
        return TRUE;
    SetItemText(kIdDownload, LinkMarkup(Text(L"TSY_LINK_DOWNLOADDU")) + L"\r\n" + Text(L"TSY_LINK_DU"));
    SetItemText(kIdCustomerCare, CustomerCareLinkText());
    SetItemText(kIdForum, ForumLinkText());
    SetFonts({{kIdDownload, FontRole::Link}, {kIdCustomerCare, FontRole::Link}, {kIdForum, FontRole::Link}});
    SetFeedbackLink(kIdFeedback);
    OnPrepare(0);
    return TRUE;
}

void CFinalDlg::OnPrepare(int32_t command)
{
    CWizardPage::OnPrepare(command);
    FrameAround(kIdMessage);
    SetStepIcons({kStepPassed, VerdictIcon(), kStepPassed, kStepPassed, kStepPassed, kStepPassed});
}
