#pragma once
// The About box of the window menu: the product and its version.
#include <string>

#include "app/DialogBase.h"

class CAboutDlg : public CDialogBase {
public:
    CAboutDlg();

    // The running executable's product version "a.b.c.d"; "0.0.0.0" when its fixed block cannot
    // be read, empty when it has no version block.
    static std::wstring ProductVersionText();

protected:
    BOOL OnInitDialog() override;
};
