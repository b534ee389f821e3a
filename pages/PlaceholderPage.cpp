#include "pages/PlaceholderPage.h"

#include "app/KeloTessalyApp.h"
#include "res/resource.h"

CPlaceholderPage::CPlaceholderPage(UINT templateId, const wchar_t* headingKey)
    : CTabPage(templateId), headingKey_(headingKey)
{
}

BOOL CPlaceholderPage::OnInitDialog()
{
    PreparePlaceholder();
    return TRUE;
}

void CPlaceholderPage::PreparePlaceholder()
{
    if (GetSafeHwnd() == nullptr)
        return;
    SetFont(IDC_PAGE_HEADING, ApplicationFonts() ? theApp.AppFont(2) : PageFont(2));
    SetText(IDC_PAGE_HEADING, Text(headingKey_));
}
