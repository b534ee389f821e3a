#include "pages/FirmwareDlg.h"

#include "app/AppMessages.h"

bool CFirmwareDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == kMsgFillFirmware) {
        result = FillFirmwarePage();
        return true;
    }
    return CPlaceholderPage::OnMessage(message, wParam, lParam, result);
}
