#include "app/DialogBase.h"

CDialogBase::~CDialogBase() { DestroyWindow(); }

INT_PTR CDialogBase::DoModal(HWND owner)
{
    modal_ = true;
    INT_PTR result = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                                       &CDialogBase::DialogProc, reinterpret_cast<LPARAM>(this));
    hwnd_ = nullptr;
    modal_ = false;
    return result;
}

bool CDialogBase::Create(HWND parent)
{
    if (hwnd_ != nullptr)
        return true;
    modal_ = false;
    return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), parent,
                                &CDialogBase::DialogProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

void CDialogBase::DestroyWindow()
{
    if (hwnd_ != nullptr && !modal_) {
        HWND hwnd = hwnd_;
        hwnd_ = nullptr;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        ::DestroyWindow(hwnd);
    }
}

void CDialogBase::EndDialog(INT_PTR result)
{
    if (hwnd_ == nullptr)
        return;
    if (modal_)
        ::EndDialog(hwnd_, result);
    else
        ::ShowWindow(hwnd_, SW_HIDE);
}

void CDialogBase::Hide()
{
    if (hwnd_ != nullptr)
        ::ShowWindow(hwnd_, SW_HIDE);
}

bool CDialogBase::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result)
{
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            result = TRUE;
            return true;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            result = TRUE;
            return true;
        }
    }
    return false;
}

INT_PTR CALLBACK CDialogBase::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CDialogBase*>(lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
        return self->OnInitDialog();
    }
    auto* self = reinterpret_cast<CDialogBase*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (self == nullptr)
        return FALSE;
    INT_PTR result = FALSE;
    bool handled = self->OnMessage(message, wParam, lParam, result);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    if (!handled)
        return FALSE;
    // Messages whose answer is not the procedure's return value.
    if (message != WM_CTLCOLORDLG && message != WM_CTLCOLORSTATIC && message != WM_CTLCOLORBTN &&
        message != WM_CTLCOLOREDIT && message != WM_CTLCOLORLISTBOX && message != WM_INITDIALOG &&
        message != WM_QUERYDRAGICON && message != WM_COMPAREITEM && message != WM_VKEYTOITEM &&
        message != WM_CHARTOITEM) {
        ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    return result;
}

INT_PTR CDialogBase::TransparentControlColour(WPARAM dc, HBRUSH brush)
{
    ::SetBkMode(reinterpret_cast<HDC>(dc), TRANSPARENT);
    return reinterpret_cast<INT_PTR>(brush != nullptr ? brush : ::GetStockObject(NULL_BRUSH));
}

bool CDialogBase::ShowBackgroundBeneath(UINT message, WPARAM wParam, INT_PTR& result)
{
    switch (message) {
    case WM_ERASEBKGND:
        ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        result = TRUE;
        return true;
    case WM_CTLCOLORSTATIC:
        result = TransparentControlColour(wParam);
        return true;
    default:
        return false;
    }
}
