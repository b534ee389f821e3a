#include "pages/WizardPage.h"

#include <commctrl.h>

#include "app/AppMessages.h"
#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "app/WizardRules.h"
#include "support/LanguageChoice.h"
#include "res/resource.h"

namespace {

constexpr int kIconColumnWidth = 35;
constexpr int kTextColumnWidth = 170;

// Application and page fonts carry the same numbers for each role.
int FontNumber(FontRole role)
{
    switch (role) {
    case FontRole::StepList:
        return 1;
    case FontRole::Heading:
        return 2;
    case FontRole::Message:
    case FontRole::Link:
        return 4;
    case FontRole::Button:
        return 5;
    case FontRole::SmallLink:
        return 6;
    }
    return 4;
}

} // namespace

BOOL CWizardPage::OnInitDialog() { return TRUE; }

CDiagnosticMgr* CWizardPage::Manager() { return theApp.DiagnosisManager(); }

bool CWizardPage::HasContent()
{
    const CDiagnosticMgr* manager = Manager();
    return manager != nullptr && (!manager->Devices().empty() || manager->ErrorSimulationActive());
}

std::wstring CWizardPage::Text(const wchar_t* key) { return StringTable().GetString(key); }

HFONT CWizardPage::RoleFont(FontRole role) const
{
    const int n = FontNumber(role);
    return UsesApplicationFonts(StringTable().LanguageId()) ? theApp.AppFont(n) : PageFont(n);
}

void CWizardPage::SetUpStepList(bool subItemImages)
{
    HWND list = GetDlgItem(IDC_STEP_LIST);
    if (list == nullptr)
        return;
    if (subItemImages)
        ListView_SetExtendedListViewStyleEx(list, LVS_EX_SUBITEMIMAGES, LVS_EX_SUBITEMIMAGES);
    ListView_SetImageList(list, theApp.StepImages(), LVSIL_SMALL);
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH | LVCF_SUBITEM;
    column.cx = kIconColumnWidth;
    column.iSubItem = 0;
    ListView_InsertColumn(list, 0, &column);
    column.cx = kTextColumnWidth;
    column.iSubItem = 1;
    ListView_InsertColumn(list, 1, &column);
}

bool CWizardPage::SetUpPage(std::initializer_list<PageText> texts, bool subItemImages)
{
    if (!HasContent())
        return false;
    SetUpStepList(subItemImages);
    SetFonts({{IDC_STEP_LIST, FontRole::StepList}, {IDC_PAGE_HEADING, FontRole::Heading}});
    ApplyTexts(texts);
    return true;
}

bool CWizardPage::Simulating()
{
    const CDiagnosticMgr* manager = Manager();
    return manager != nullptr && manager->ErrorSimulationActive();
}

void CWizardPage::RetryPrint()
{
    CDiagnosticMgr* manager = Manager();
    if (manager == nullptr || manager->ErrorSimulationActive())
        return;
    manager->SetCurrentTestIndex(kLowLevelPrintTestIndex);
    SendPageCommand(wizard::kCmdRetryTest);
}

int32_t CWizardPage::VerdictIcon()
{
    const CDiagnosticMgr* manager = Manager();
    return manager != nullptr && manager->StatusVerdict() ? kStepPassed : kStepFailed;
}

void CWizardPage::FillStepList()
{
    HWND list = GetDlgItem(IDC_STEP_LIST);
    if (list == nullptr)
        return;
    ListView_DeleteAllItems(list);
    for (int row = 0; row < kStepCount; ++row) {
        LVITEMW item = {};
        item.mask = LVIF_IMAGE | LVIF_TEXT;
        item.iItem = row;
        item.iImage = kStepNotRun;
        item.pszText = const_cast<wchar_t*>(L"");
        const int inserted = ListView_InsertItem(list, &item);
        std::wstring text = Text(kStepTextKeys[static_cast<size_t>(row)]);
        ListView_SetItemText(list, inserted, 1, text.data());
    }
}

void CWizardPage::SetStepIcon(int row, int32_t icon)
{
    HWND list = GetDlgItem(IDC_STEP_LIST);
    if (list == nullptr || row < 0 || row >= ListView_GetItemCount(list))
        return;
    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = icon;
    ListView_SetItem(list, &item);
}

int32_t CWizardPage::StepIconOf(int row) const
{
    HWND list = GetDlgItem(IDC_STEP_LIST);
    if (list == nullptr || row < 0 || row >= ListView_GetItemCount(list))
        return -1;
    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    if (!ListView_GetItem(list, &item))
        return -1;
    return item.iImage;
}

void CWizardPage::SetStepIcons(std::initializer_list<int32_t> icons)
{
    int row = 0;
    for (int32_t icon : icons)
        SetStepIcon(row++, icon);
}

std::wstring SelectedPrinterHeading(bool deviceNameAlways)
{
    const CDiagnosticMgr* manager = theApp.DiagnosisManager();
    std::optional<Device_Dev> device;
    if (manager != nullptr && !manager->Devices().empty())
        device = manager->Selected();
    return PageHeading(StringTable().GetString(L"TSY_DIAGNOSE_HEADING"), device ? &*device : nullptr,
                       deviceNameAlways);
}

void CWizardPage::SetHeading(bool deviceNameAlways)
{
    SetItemText(IDC_PAGE_HEADING, SelectedPrinterHeading(deviceNameAlways));
}

void CWizardPage::SetItemText(int id, const std::wstring& text)
{
    HWND control = GetDlgItem(id);
    if (control == nullptr)
        return;
    ::SetWindowTextW(control, text.c_str());
    // A transparent static does not erase its old text: repaint the page beneath it, and the
    // controls there after it.
    RECT area;
    ::GetWindowRect(control, &area);
    ::MapWindowPoints(nullptr, GetSafeHwnd(), reinterpret_cast<POINT*>(&area), 2);
    ::RedrawWindow(GetSafeHwnd(), &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CWizardPage::SetFonts(std::initializer_list<std::pair<int, FontRole>> controls)
{
    for (const auto& [id, role] : controls)
        if (HWND control = GetDlgItem(id))
            ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(RoleFont(role)), TRUE);
}

void CWizardPage::ApplyTexts(std::initializer_list<PageText> texts)
{
    for (const PageText& text : texts) {
        SetKeyText(text.id, text.key);
        SetFonts({{text.id, text.role}});
    }
}

void CWizardPage::ShowItem(int id, bool show)
{
    if (HWND control = GetDlgItem(id)) {
        ::ShowWindow(control, show ? SW_SHOW : SW_HIDE);
        ::EnableWindow(control, show ? TRUE : FALSE);
    }
}

std::wstring CWizardPage::CustomerCareLinkText()
{
    return LinkWithText(L"", Text(L"TSY_LINK_CUSTOMERCARE"), Text(L"TSY_LINK_KELO1"));
}

std::wstring CWizardPage::ForumLinkText()
{
    return LinkWithText(L"", Text(L"TSY_LINK_SUPPORTFORUM"), Text(L"TSY_LINK_FORUM1"));
}

std::wstring CWizardPage::DownloadLinkText()
{
    return LinkWithText(L"", Text(L"TSY_LINK_DOWNLOADDU"), Text(L"TSY_LINK_DU"));
}

void CWizardPage::SetFeedbackLink(int id)
{
    SetItemText(id, LinkMarkup(Text(L"TSY_LINK_FEEDBACK")));
    SetFonts({{id, FontRole::SmallLink}});
    ShowItem(id, StringTable().LanguageId() == 1033);
}

void CWizardPage::FrameAround(int id)
{
    HWND control = GetDlgItem(id);
    if (control == nullptr)
        return;
    RECT area;
    ::GetWindowRect(control, &area);
    ::MapWindowPoints(nullptr, GetSafeHwnd(), reinterpret_cast<POINT*>(&area), 2);
    SetFrameRect(area);
}

void CWizardPage::OnPrepare(int32_t)
{
    SetHeading();
    FillStepList();
}

void CWizardPage::SendPageCommand(int32_t command)
{
    ::SendMessageW(::GetParent(GetSafeHwnd()), kMsgPageCommand, static_cast<WPARAM>(command), 0);
    Hide();
}

void CWizardPage::CloseMainWindow()
{
    if (HWND main = theApp.MainWindow())
        ::SendMessageW(main, WM_CLOSE, 0, 0);
}

bool CWizardPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case WM_ERASEBKGND: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        RECT client;
        ::GetClientRect(GetSafeHwnd(), &client);
        ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_3DFACE));
        const RECT& frame = FrameRectangle();
        if (frame.right > frame.left)
            DrawFrame(dc);
        result = TRUE;
        return true;
    }
    case WM_CTLCOLORSTATIC:
        // Statics let the page background and the frame show through.
        result = TransparentControlColour(wParam);
        return true;
    case kMsgStepBlink:
        if (const CDiagnosticMgr* manager = Manager())
            SetStepIcon(manager->CurrentTestIndex(), static_cast<int32_t>(wParam));
        result = 0;
        return true;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == static_cast<UINT_PTR>(IDC_STEP_LIST) && header->code == LVN_ITEMCHANGING) {
            // Rows cannot be selected or focused; only their icons change.
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            result = change->uChanged == LVIF_IMAGE ? FALSE : TRUE;
            return true;
        }
        break;
    }
    default:
        break;
    }
    return CDialogExtended::OnMessage(message, wParam, lParam, result);
}
