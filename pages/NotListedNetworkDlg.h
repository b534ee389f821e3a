#pragma once
// The page for a network printer the search did not find: advice, support links, Retry
// searches again (or tells that the computer has no network), Exit.
#include <functional>

#include "pages/NoNetworkDlg.h"

class CNotListedNetworkDlg : public CMainResultPage {
public:
    CNotListedNetworkDlg();
    void PrepareNotListedNetworkPage() { Prepare(); }

protected:
    void Prepare() override;
    void OnLinkClicked(int id) override;
    bool OnButton(int id) override;
};
