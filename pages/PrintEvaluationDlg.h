#pragma once
// The print evaluation page: the user compares the printout with the expected page and answers
// Print Good, Print Bad or No Print; the answer decides the next page.
#include <cstdint>

#include "pages/WizardPage.h"

class CDiagnosticMgr;

// Whether the selected printer has a copier: a Sable network printer that calls itself
// "Homeline 5150 Printer - Q884z" has none whatever its product id says; otherwise the catalogue
// decides.
bool SelectedPrinterHasCopier(CDiagnosticMgr& manager);
// The selected printer's status flag, read now (Sable or SNMP on the network, the device
// identification over USB) and stored in its record; an unreadable one counts as 61.
int32_t ReadAnswerStatusFlag(CDiagnosticMgr& manager);
// The device status page's command for a non-zero status: 17 for a fault code, else 18 the
// first time for the printer (which marks it) and 16 afterwards.
int32_t StatusPageCommand(CDiagnosticMgr& manager, int32_t status);

class CPrintEvaluationDlg : public CWizardPage {
public:
    CPrintEvaluationDlg();

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnPrepare(int32_t command) override;
    bool OnButton(int id) override;
    void OnCancel() override { CloseMainWindow(); }

private:
    void Refresh();
    void OnPrintGood();
    void OnNoPrint();
};
