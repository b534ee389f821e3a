#include "app/WizardDlg.h"

#include "res/resource.h"

// Placeholder until the wizard lands.
CWizardDlg::CWizardDlg() : CDialogExtended(IDD_WIZARD, false) {}
CWizardDlg::~CWizardDlg() = default;
void CWizardDlg::Reset() {}
int CWizardDlg::InitialPageCommand() const { return 23; }
void CWizardDlg::SetInitialPageCommand(int) {}
int CWizardDlg::SimulatedStatusCode() const { return 0; }
void CWizardDlg::SetSimulatedStatusCode(int) {}
CDialogBase* CWizardDlg::CurrentPage() const { return nullptr; }
