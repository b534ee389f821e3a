#pragma once
// The question how a missing printer is connected: USB ends the window as cancelled, Network
// as confirmed.
#include "app/DialogBase.h"


class CUSBNetworkPopup : public CDialogBase {
public:
    CUSBNetworkPopup();

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
};
