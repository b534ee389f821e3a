#include "pages/PlaceholderPage.h"

#include "app/KeloTessalyApp.h"
#include "support/LanguageChoice.h"
#include "res/resource.h"

CPlaceholderPage::CPlaceholderPage(UINT templateId, const wchar_t* headingKey)
    : CDialogExtended(templateId, false), headingKey_(headingKey)
{
}

BOOL CPlaceholderPage::OnInitDialog()
{
    PreparePlaceholder();
    return TRUE;
}

void CPlaceholderPage::PreparePlaceholder()
{
    HWND hwnd = GetSafeHwnd();
    if (hwnd == nullptr)
        return;
    const bool appFonts = UsesApplicationFonts(StringTable().LanguageId());
    HFONT font = appFonts ? theApp.AppFont(2) : PageFont(2);
    ::SendDlgItemMessageW(hwnd, IDC_PAGE_HEADING, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ::SetDlgItemTextW(hwnd, IDC_PAGE_HEADING, StringTable().GetString(headingKey_).c_str());
}

bool CPlaceholderPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case WM_ERASEBKGND:
        // The main window has drawn the background beneath the page.
        ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        result = TRUE;
        return true;
    case WM_CTLCOLORSTATIC:
        result = TransparentControlColour(wParam);
        return true;
    default:
        return CDialogExtended::OnMessage(message, wParam, lParam, result);
    }
}
