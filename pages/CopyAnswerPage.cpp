#include "pages/CopyAnswerPage.h"

#include "app/engine/DiagnosticMgr.h"
#include "res/resource.h"

CCopyAnswerPage::CCopyAnswerPage(const Layout& layout) : CWizardPage(layout.templateId, false), layout_(layout) {}

BOOL CCopyAnswerPage::OnInitDialog()
{
    if (!SetUpPage({{IDC_PAGE_MESSAGE, layout_.messageKey, FontRole::Message},
                    {layout_.firstAnswer, layout_.firstAnswerKey, FontRole::Button},
                    {layout_.secondAnswer, layout_.secondAnswerKey, FontRole::Button},
                    {layout_.cancel, L"TSY_CANCEL_BUTTON", FontRole::Button}}))
        return TRUE;
    SetHeading();
    FillStepList();
    Refresh();
    return TRUE;
}

void CCopyAnswerPage::OnPrepare(int32_t)
{
    FrameAround(IDC_PAGE_MESSAGE);
    FillStepList();
    Refresh();
}

void CCopyAnswerPage::Refresh()
{
    for (int row = 0; row < 6; ++row) {
        int32_t icon = row < layout_.stepRow ? kStepPassed : row == layout_.stepRow ? kStepCurrent : kStepNotRun;
        if (row == 1)
            icon = StatusStepIcon();
        SetStepIcon(row, icon);
    }
    if (!Simulating())
        SetHeading();
}

bool CCopyAnswerPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == WM_SETFOCUS) {
        Refresh();
        ::SetFocus(GetDlgItem(layout_.firstAnswer));
        result = 0;
        return true;
    }
    return CWizardPage::OnMessage(message, wParam, lParam, result);
}

bool CCopyAnswerPage::OnButton(int id)
{
    if (id == layout_.cancel) {
        CloseMainWindow();
        return true;
    }
    if (id != layout_.firstAnswer && id != layout_.secondAnswer)
        return false;
    CDiagnosticMgr* manager = Manager();
    if (manager != nullptr && !manager->ErrorSimulationActive())
        OnAnswer(id, *manager);
    return true;
}
