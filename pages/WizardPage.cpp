#include "pages/WizardPage.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <string>

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

std::wstring SelectedPrinterHeading()
{
    const CDiagnosticMgr* manager = theApp.DiagnosisManager();
    std::optional<Device_Dev> device;
    if (manager != nullptr && !manager->Devices().empty())
        device = manager->Selected();
    return PageHeading(StringTable().GetString(L"TSY_DIAGNOSE_HEADING"), device ? &*device : nullptr);
}

void CWizardPage::SetHeading()
{
    SetItemText(IDC_PAGE_HEADING, SelectedPrinterHeading());
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

namespace {

struct RowSearch {
    HWND page;
    LONG top;
};

// The top of the page's bottom row of buttons, in page coordinates.
BOOL CALLBACK LowestButtonRow(HWND child, LPARAM param)
{
    auto& search = *reinterpret_cast<RowSearch*>(param);
    wchar_t name[16] = {};
    ::GetClassNameW(child, name, 16);
    const LONG style = ::GetWindowLongW(child, GWL_STYLE);
    const LONG type = style & BS_TYPEMASK;
    if (::GetParent(child) != search.page || ::lstrcmpiW(name, L"Button") != 0 ||
        (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON) || (style & (BS_ICON | BS_BITMAP)) != 0)
        return TRUE;
    RECT area;
    ::GetWindowRect(child, &area);
    ::MapWindowPoints(nullptr, search.page, reinterpret_cast<POINT*>(&area), 2);
    search.top = std::max(search.top, area.top);
    return TRUE;
}

} // namespace

void CWizardPage::FrameAround(int id)
{
    HWND control = GetDlgItem(id);
    if (control == nullptr)
        return;
    RECT area;
    ::GetWindowRect(control, &area);
    ::MapWindowPoints(nullptr, GetSafeHwnd(), reinterpret_cast<POINT*>(&area), 2);
    // As much room right of the text as left of it, so the longest line never touches the frame.
    area.right += kFrameSideMargin;
    SetFrameRect(area);
    // However deep the frame's scaled depth reaches, it ends a little above the buttons' row.
    const int rowTop = ButtonRowTop();
    RECT gap = {0, 0, 0, 4};
    ::MapDialogRect(GetSafeHwnd(), &gap);
    SetFrameFloor(rowTop > area.bottom ? rowTop - gap.bottom : 0);
}

namespace {

// Height of `text` wrapped to `width` pixels in the control's font; link markup takes no room.
int WrappedHeight(HWND control, std::wstring text, int width)
{
    for (const wchar_t* tag : {L"<a>", L"</a>"})
        for (size_t at = text.find(tag); at != std::wstring::npos; at = text.find(tag, at))
            text.erase(at, std::wcslen(tag));
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT area = {0, 0, width, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area,
                DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return area.bottom - area.top;
}

RECT PlaceOf(HWND page, HWND control)
{
    RECT area;
    ::GetWindowRect(control, &area);
    ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&area), 2);
    return area;
}

std::wstring WindowText(HWND window)
{
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool IsPushButton(HWND control)
{
    wchar_t name[16] = {};
    ::GetClassNameW(control, name, 16);
    return ::lstrcmpiW(name, L"Button") == 0;
}

} // namespace

bool CWizardPage::FocusFirstShown(std::initializer_list<int> ids)
{
    for (int id : ids) {
        HWND control = GetDlgItem(id);
        if (control != nullptr && (::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) && ::IsWindowEnabled(control)) {
            ::SetFocus(control);
            return true;
        }
    }
    return false;
}

int CWizardPage::ButtonRowTop() const
{
    RowSearch search{GetSafeHwnd(), 0};
    ::EnumChildWindows(GetSafeHwnd(), &LowestButtonRow, reinterpret_cast<LPARAM>(&search));
    return static_cast<int>(search.top);
}

void CWizardPage::FlowBelowMessage(std::initializer_list<Flowing> items)
{
    HWND page = GetSafeHwnd();
    HWND message = GetDlgItem(IDC_PAGE_MESSAGE);
    if (page == nullptr || message == nullptr)
        return;
    const RECT area = PlaceOf(page, message);
    const int width = area.right - area.left;
    RECT unit = {0, 0, 4, 4};
    ::MapDialogRect(page, &unit);
    const int messageHeight = WrappedHeight(message, WindowText(message), width);
    // Where everything goes with `gap` between the parts; the bottom of the last. Applied only
    // when asked, so a long text can be tried with smaller gaps first.
    const auto place = [&](int gap, bool apply) {
        int top = area.top + messageHeight + 2 * gap;
        for (const Flowing& item : items) {
            HWND control = GetDlgItem(item.id);
            if (control == nullptr || !(::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE))
                continue;
            const RECT current = PlaceOf(page, control);
            if (IsPushButton(control)) {
                if (apply)
                    ::SetWindowPos(control, nullptr, area.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
                top += current.bottom - current.top + gap;
                continue;
            }
            int controlWidth = width;
            HWND beside = item.beside != 0 ? GetDlgItem(item.beside) : nullptr;
            int besideHeight = 0;
            if (beside != nullptr && (::GetWindowLongW(beside, GWL_STYLE) & WS_VISIBLE)) {
                const RECT other = PlaceOf(page, beside);
                const int side = other.right - other.left;
                controlWidth = width - side - gap;
                besideHeight = other.bottom - other.top;
                if (apply)
                    ::SetWindowPos(beside, nullptr, area.right - side, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            }
            const int height = WrappedHeight(control, WindowText(control), controlWidth) + 2;
            if (apply)
                ::SetWindowPos(control, nullptr, area.left, top, controlWidth, height, SWP_NOZORDER);
            top += std::max(height, besideHeight) + (item.title ? gap / 2 : gap);
        }
        return top;
    };
    // A long text (condition, language) first gives up the space between the parts.
    const int rowTop = ButtonRowTop();
    const int gap = rowTop > 0 && place(unit.bottom, false) > rowTop ? unit.bottom / 2 : unit.bottom;
    place(gap, true);
    ::RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
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
