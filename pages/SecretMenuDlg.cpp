#include "pages/SecretMenuDlg.h"

#include "app/AppMessages.h"
#include "app/KeloTessalyApp.h"
#include "pages/SimulationRules.h"

std::function<int(HWND, const std::wstring&, const std::wstring&, UINT)> CSecretMenuDlg::messageBox =
    [](HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
        return ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
    };

BOOL CSecretMenuDlg::OnInitDialog()
{
    HWND hwnd = GetSafeHwnd();
    const bool status = kind_ == kSimulatedStatusError;
    ::SetDlgItemTextW(hwnd, IDC_SIMULATION_LABEL, status ? L"Device Status Error Code :" : L"ADF Status Error Code :");
    for (int id : {IDC_SIMULATION_LABEL, IDC_DIRTY_POWER_UP, IDC_SIMULATE_ERROR})
        ::SendDlgItemMessageW(hwnd, id, WM_SETFONT, reinterpret_cast<WPARAM>(theApp.AppFont(5)), TRUE);
    HWND box = GetDlgItem(IDC_DIRTY_POWER_UP);
    ::ShowWindow(box, status ? SW_SHOW : SW_HIDE);
    ::EnableWindow(box, status);
    ShowCode();
    return TRUE;
}

bool CSecretMenuDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == WM_COMMAND) {
        if (LOWORD(wParam) == IDC_SIMULATE_ERROR && HIWORD(wParam) == BN_CLICKED) {
            OnSimulateError();
            result = 0;
            return true;
        }
        if (LOWORD(wParam) == IDC_SIMULATION_CODE && HIWORD(wParam) == EN_CHANGE) {
            if (!showingCode_)
                OnCodeChanged();
            result = 0;
            return true;
        }
    }
    return CDialogBase::OnMessage(message, wParam, lParam, result);
}

std::optional<int32_t> CSecretMenuDlg::ReadCode()
{
    wchar_t text[64] = {};
    ::GetDlgItemTextW(GetSafeHwnd(), IDC_SIMULATION_CODE, text, 64);
    const std::optional<int32_t> code = ParseDialogInteger(text);
    if (!code)
        messageBox(GetSafeHwnd(), L"Enter an integer.", theApp.WindowTitle(), MB_OK | MB_ICONEXCLAMATION);
    return code;
}

void CSecretMenuDlg::ShowCode()
{
    HWND field = GetDlgItem(IDC_SIMULATION_CODE);
    const std::wstring text = std::to_wstring(code_);
    wchar_t shown[64] = {};
    ::GetWindowTextW(field, shown, 64);
    if (text == shown)
        return; // rewriting the same text would only move the caret under the user's typing
    showingCode_ = true;
    ::SetWindowTextW(field, text.c_str());
    showingCode_ = false;
    const int end = static_cast<int>(text.size());
    ::SendMessageW(field, EM_SETSEL, end, end);
}

void CSecretMenuDlg::OnCodeChanged()
{
    const std::optional<int32_t> code = ReadCode();
    if (!code) {
        if (code_ <= kLargestSimulatedStatus)
            ShowCode();
        return;
    }
    code_ = *code;
    if (kind_ == kSimulatedStatusError)
        ::EnableWindow(GetDlgItem(IDC_DIRTY_POWER_UP), DirtyPowerUpOffered(code_));
    ShowCode();
}

void CSecretMenuDlg::OnSimulateError()
{
    const std::optional<int32_t> code = ReadCode();
    if (!code)
        return;
    code_ = *code;
    if (SimulatedCodeAccepted(kind_, code_)) {
        const bool dirtyPowerUp = kind_ == kSimulatedStatusError &&
                                  ::IsDlgButtonChecked(GetSafeHwnd(), IDC_DIRTY_POWER_UP) == BST_CHECKED;
        ::SendMessageW(receiver_, kMsgSimulatedStatus, static_cast<WPARAM>(code_), dirtyPowerUp ? 1 : 0);
        EndDialog(2);
        return;
    }
    code_ = 0;
    messageBox(GetSafeHwnd(), L"Please verify the code you entered", theApp.WindowTitle(),
               MB_OK | MB_ICONEXCLAMATION);
    ShowCode();
}
