#pragma once
// The copy test page: the user makes a copy on the printer itself and says whether one came out.
#include "pages/CopyAnswerPage.h"

class CCopyTestDlg : public CCopyAnswerPage {
public:
    CCopyTestDlg();

protected:
    void OnAnswer(int id, CDiagnosticMgr& manager) override;
};
