#pragma once
// A dialog from a resource template whose messages go to a C++ object.
#include <windows.h>

class CDialogBase {
public:
    explicit CDialogBase(UINT templateId) : templateId_(templateId) {}
    virtual ~CDialogBase();
    CDialogBase(const CDialogBase&) = delete;
    CDialogBase& operator=(const CDialogBase&) = delete;

    // Runs the dialog modally; the result given to EndDialog, or -1.
    INT_PTR DoModal(HWND owner = nullptr);
    // Creates it modeless, as a child page of `parent` when the template says so.
    bool Create(HWND parent);
    void DestroyWindow();

    HWND GetSafeHwnd() const { return hwnd_; }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(hwnd_, id); }
    void EndDialog(INT_PTR result);
    // A modeless page steps aside: hidden, not destroyed, to be shown again.
    void Hide();
    UINT TemplateId() const { return templateId_; }

protected:
    // The answer to WM_CTLCOLORSTATIC (or _BTN): the control's text on `brush`, by default on
    // nothing, so the dialog's background shows through.
    static INT_PTR TransparentControlColour(WPARAM dc, HBRUSH brush = nullptr);
    // For pages over the main window's background: the page erases nothing and its statics
    // draw on what lies beneath. True when `message` was one of the two.
    static bool ShowBackgroundBeneath(UINT message, WPARAM wParam, INT_PTR& result);
    virtual BOOL OnInitDialog() { return TRUE; }
    // Return true when handled; `result` is then the dialog procedure's answer.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
};
