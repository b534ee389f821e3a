#pragma once
// The result pages of the main window (no step list) share CMainResultPage: texts looked up when
// prepared, fonts by role for the languages each page names, transparent statics over the main
// window's background, support links and buttons. CNoNetworkDlg is the page shown when the
// computer has no network settings.
#include <initializer_list>
#include <string>
#include <vector>

#include "app/DialogExtended.h"
#include "res/resource.h"

class CMainResultPage : public CDialogExtended {
public:
    CMainResultPage(UINT templateId, std::initializer_list<unsigned short> applicationFontLanguages);

    // Application font n for the page's languages, else page font n.
    HFONT RoleFont(int n) const;
    // The two-character sequences backslash-n of a string file text as line breaks (CR LF).
    static std::wstring WithLineBreaks(const std::wstring& text);

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnCancel() override { CloseToParent(); }

    // Texts, fonts and links for the moment the page is shown.
    virtual void Prepare() = 0;

    static std::wstring Text(const wchar_t* key);
    void SetText(int id, const std::wstring& text, int font);
    // Customer care, forum and download links with their plain texts, in controls 1028, 1029, 1031.
    void SetSupportLinks();
    // Page command 1 to the main window; the page ends.
    void BackToSelection();
    // WM_CLOSE to the parent: the tool's closing sequence.
    void CloseToParent();
    // Empties the device list and enumerates the printers into it again.
    static void EnumerateAgain();

private:
    std::vector<unsigned short> applicationFontLanguages_;
};


class CNoNetworkDlg : public CMainResultPage {
public:
    CNoNetworkDlg();
    void PrepareNoNetworkPage() { Prepare(); }

protected:
    void Prepare() override;
    void OnLinkClicked(int id) override;
    bool OnButton(int id) override;
};
