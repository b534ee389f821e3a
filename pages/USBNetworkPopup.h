#pragma once
// The question how a missing printer is connected: USB ends the window as cancelled, Network
// as confirmed.
#include "app/DialogBase.h"

inline constexpr UINT kUsbNetworkTemplateId = 165;
inline constexpr int kUsbNetworkTextId = 1133;
inline constexpr int kUsbButtonId = 1079;
inline constexpr int kNetworkButtonId = 1077;

class CUSBNetworkPopup : public CDialogBase {
public:
    CUSBNetworkPopup();

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
};
