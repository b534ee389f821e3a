#pragma once
// The page for a USB printer missing from the list: what to check, Retry looks for printers
// again, Exit closes the tool.
#include "pages/NoNetworkDlg.h"

class CNotListedDlg : public CMainResultPage {
public:
    CNotListedDlg();
    void PrepareNotListedPage() { Prepare(); }

protected:
    void Prepare() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    bool OnButton(int id) override;
};
