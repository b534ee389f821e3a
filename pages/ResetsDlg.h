#pragma once
// The resets page: one reset row (a second, hidden row does the same), each asking for
// confirmation before the reset command goes to the selected printer on a worker. The main
// window creates the page with its tab pages; no tab shows it. CResetConfirmationDlg asks.
#include "app/DialogBase.h"
#include "pages/NoNetworkDlg.h"
#include "res/resource.h"
#include "tools/PrinterReset.h"
#include "winapi/Handles.h"

class CResetConfirmationDlg : public CDialogBase {
public:
    CResetConfirmationDlg() : CDialogBase(IDD_RESET_CONFIRMATION) {}

protected:
    BOOL OnInitDialog() override;

private:
    NGWinApi::UniqueFont textFont_;
    NGWinApi::UniqueFont buttonFont_;
    NGWinApi::UniqueFont boldFont_;
};

class CResetsDlg : public CMainResultPage {
public:
    CResetsDlg();
    void PrepareResetsPage() { Prepare(); }
    // The reset of the page, for the console's reasons and for tests.
    CPrinterReset& Reset() { return reset_; }

protected:
    void Prepare() override;
    bool OnButton(int id) override;
    // Enter and Esc do nothing on this page.
    void OnOK() override {}
    void OnCancel() override {}

private:
    void ConfirmAndReset();

    CPrinterReset reset_; // outlives the page window: a running reset is waited for when the page goes
};
