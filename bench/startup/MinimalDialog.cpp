// The reference of the start-up row: a Win32 program that opens one dialog and nothing else.
#include <windows.h>

namespace {

INT_PTR CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        ::EndDialog(dialog, 0);
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    return static_cast<int>(::DialogBoxParamW(instance, MAKEINTRESOURCEW(1), nullptr, DialogProcedure, 0));
}
