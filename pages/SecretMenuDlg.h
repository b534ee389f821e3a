#pragma once
// The code of a simulated device status error (with or without a dirty power-up) or document
// feeder error, sent to the main window as message 1037 when accepted.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/DialogBase.h"
#include "res/resource.h"

class CSecretMenuDlg : public CDialogBase {
public:
    // `kind` is kSimulatedStatusError or kSimulatedFeederError; `receiver` gets message 1037.
    CSecretMenuDlg(int32_t kind, HWND receiver) : CDialogBase(IDD_SECRET_MENU), kind_(kind), receiver_(receiver) {}

    int32_t Code() const { return code_; }

    // Replaceable so tests never block on a message box.
    static std::function<int(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type)>
        messageBox;

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnOK() override { OnSimulateError(); }

private:
    void OnSimulateError();
    void OnCodeChanged();
    // The field's integer, or the framework's prompt and nothing.
    std::optional<int32_t> ReadCode();
    void ShowCode();

    int32_t kind_;
    HWND receiver_;
    int32_t code_ = 0;
    bool showingCode_ = false; // the field is being written: its change is not the user's
};
