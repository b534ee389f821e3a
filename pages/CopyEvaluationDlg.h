#pragma once
// The copy evaluation page: the user judges the copy.
#include "pages/CopyAnswerPage.h"

class CCopyEvaluationDlg : public CCopyAnswerPage {
public:
    CCopyEvaluationDlg();

protected:
    void OnAnswer(int id, CDiagnosticMgr& manager) override;
};
