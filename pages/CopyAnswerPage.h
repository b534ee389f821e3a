#pragma once
// The two copy pages: a question about a copy made on the printer, two answers and Cancel.
#include <cstdint>

#include "pages/WizardPage.h"

class CDiagnosticMgr;

class CCopyAnswerPage : public CWizardPage {
public:
    struct Layout {
        int templateId;
        const wchar_t* messageKey;
        int firstAnswer; // has the focus
        const wchar_t* firstAnswerKey;
        int secondAnswer;
        const wchar_t* secondAnswerKey;
        int cancel;
        int stepRow; // the step the page asks about
    };

protected:
    explicit CCopyAnswerPage(const Layout& layout);
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnPrepare(int32_t command) override;
    bool OnButton(int id) override;
    // One of the two answers, never while a fault is only pretended.
    virtual void OnAnswer(int id, CDiagnosticMgr& manager) = 0;

private:
    void Refresh();

    Layout layout_;
};
