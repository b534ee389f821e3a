#include "pages/PrintBadDlg.h"

#include <algorithm>
#include <array>
#include <cwctype>

#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "pages/FeedbackDlg.h"
#include "pages/PrgsDlg.h"
#include "res/resource.h"

namespace {


// The same products can be neither cleaned nor aligned.
constexpr std::array<const wchar_t*, 6> kHeadServiceExclusions = {L"b311", L"ab11", L"a311",
                                                                  L"bf11", L"c011", L"aa11"};

bool Excluded(const std::wstring& productId)
{
    std::wstring id = productId;
    std::transform(id.begin(), id.end(), id.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return std::any_of(kHeadServiceExclusions.begin(), kHeadServiceExclusions.end(),
                       [&](const wchar_t* entry) { return std::wstring(entry).find(id) != std::wstring::npos; });
}

// A 32 x 32 icon of a letter A: drawn twice in offset colours (alignment), or crossed by white
// streaks (cleaning).
HICON LetterIcon(bool streaked)
{
    constexpr int size = 32;
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP colour = ::CreateCompatibleBitmap(screen, size, size);
    HBITMAP mask = ::CreateBitmap(size, size, 1, 1, nullptr);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(dc, colour);
    RECT all = {0, 0, size, size};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    HFONT font = ::CreateFontW(-30, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, ANTIALIASED_QUALITY, 0, L"Arial");
    HGDIOBJ oldFont = ::SelectObject(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    const auto letter = [&](COLORREF ink, int dx) {
        RECT box = {dx, 0, size + dx, size};
        ::SetTextColor(dc, ink);
        ::DrawTextW(dc, L"A", 1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    };
    if (streaked) {
        letter(RGB(40, 40, 40), 0);
        for (int y = 6; y < size; y += 6) {
            RECT streak = {0, y, size, y + 2};
            ::FillRect(dc, &streak, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        }
    } else {
        letter(RGB(0, 180, 230), -3);
        letter(RGB(230, 0, 140), 3);
        letter(RGB(40, 40, 40), 0);
    }
    ::SelectObject(dc, oldFont);
    ::DeleteObject(font);
    ::SelectObject(dc, mask);
    ::PatBlt(dc, 0, 0, size, size, BLACKNESS); // every pixel opaque
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ICONINFO info = {TRUE, 0, 0, mask, colour};
    HICON icon = ::CreateIconIndirect(&info);
    ::DeleteObject(colour);
    ::DeleteObject(mask);
    return icon;
}

} // namespace

bool CleaningExcluded(const std::wstring& productId) { return Excluded(productId); }
bool AlignmentExcluded(const std::wstring& productId) { return Excluded(productId); }

CPrintBadDlg::CPrintBadDlg() : CWizardPage(IDD_PRINT_BAD, true) {}

CPrintBadDlg::~CPrintBadDlg()
{
    if (cleanIcon_ != nullptr)
        ::DestroyIcon(cleanIcon_);
    if (alignIcon_ != nullptr)
        ::DestroyIcon(alignIcon_);
}

BOOL CPrintBadDlg::OnInitDialog()
{
    cleanIcon_ = LetterIcon(true);
    alignIcon_ = LetterIcon(false);
    ::SendDlgItemMessageW(GetSafeHwnd(), IDC_PRINT_BAD_CLEAN, BM_SETIMAGE, IMAGE_ICON,
                          reinterpret_cast<LPARAM>(cleanIcon_));
    ::SendDlgItemMessageW(GetSafeHwnd(), IDC_PRINT_BAD_ALIGN, BM_SETIMAGE, IMAGE_ICON,
                          reinterpret_cast<LPARAM>(alignIcon_));
    if (!SetUpPage({{IDC_PAGE_MESSAGE, L"TSY_DIAGNOSE_LOWLEVELPRINTTEST_FAIL", FontRole::Message},
                    {IDC_CLEAN_TITLE, L"TSY_SERVICES_HEAD3", FontRole::Message},
                    {IDC_ALIGN_TITLE, L"TSY_SERVICES_HEAD2", FontRole::Message},
                    {IDC_RETRY, L"TSY_RETRY_BUTTON", FontRole::Button},
                    {IDC_CLOSE, L"TSY_CLOSE_BUTTON", FontRole::Button}}))
        return TRUE;
    OnPrepare(0);
    return TRUE;
}

// Line feeds of the string file become line breaks of the static.
static std::wstring WithCrLf(const std::wstring& text)
{
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\n')
            out += L'\r';
        out += c;
    }
    return out;
}

void CPrintBadDlg::OnPrepare(int32_t command)
{
    CWizardPage::OnPrepare(command);
    SetItemText(IDC_PRINT_BAD_TEXT2, WithCrLf(Text(L"TSY_DIAGNOSE_LOWLEVELPRINTTEST_FAIL2")));
    SetItemText(IDC_PRINT_BAD_TEXT3, WithCrLf(Text(L"TSY_DIAGNOSE_LOWLEVELPRINTTEST_FAIL3")));
    SetFonts({{IDC_PRINT_BAD_TEXT2, FontRole::Message}, {IDC_PRINT_BAD_TEXT3, FontRole::Message}});
    SetItemText(IDC_PRINT_BAD_TROUBLESHOOTING, LinkMarkup(Text(L"TSY_TROUBLESHOOT_LINK")));
    SetFonts({{IDC_PRINT_BAD_TROUBLESHOOTING, FontRole::SmallLink}});
    SetFeedbackLink(IDC_FEEDBACK_LINK);
    FrameAround(IDC_PAGE_MESSAGE);
    ApplyExclusions();
    ShowStepIcons();
}

void CPrintBadDlg::ApplyExclusions()
{
    for (int id : {IDC_PRINT_BAD_CLEAN, IDC_CLEAN_TITLE, IDC_PRINT_BAD_ALIGN, IDC_ALIGN_TITLE})
        ::EnableWindow(GetDlgItem(id), TRUE);
    const CDiagnosticMgr* manager = Manager();
    const std::optional<Device_Dev> device = manager != nullptr ? manager->Selected() : std::nullopt;
    if (!device)
        return;
    if (CleaningExcluded(device->productId)) {
        ::EnableWindow(GetDlgItem(IDC_PRINT_BAD_CLEAN), FALSE);
        ::EnableWindow(GetDlgItem(IDC_CLEAN_TITLE), FALSE);
    }
    if (AlignmentExcluded(device->productId)) {
        ::EnableWindow(GetDlgItem(IDC_PRINT_BAD_ALIGN), FALSE);
        ::EnableWindow(GetDlgItem(IDC_ALIGN_TITLE), FALSE);
    }
}

void CPrintBadDlg::ShowStepIcons()
{
    if (Simulating())
        SetStepIcons({kStepPassed, kStepPassed, kStepPassed, kStepCurrent, kStepNotRun, kStepNotRun});
    else
        SetStepIcons({kStepPassed, VerdictIcon(), kStepPassed, kStepFailed, kStepNotRun, kStepNotRun});
}

void CPrintBadDlg::RunService(int buttonId, DeviceOperation operation)
{
    if (Simulating())
        return;
    ::EnableWindow(GetDlgItem(buttonId), FALSE);
    lastOperation_ = operation;
    CPrgsDlg popup;
    popup.SetOperation(operation);
    popup.DoModal(GetSafeHwnd());
}

bool CPrintBadDlg::OnButton(int id)
{
    switch (id) {
    case IDC_RETRY:
        RetryPrint();
        return true;
    case IDC_CLOSE:
        ::SendMessageW(::GetParent(GetSafeHwnd()), WM_CLOSE, 0, 0);
        return true;
    case IDC_PRINT_BAD_CLEAN:
        RunService(id, DeviceOperation::CleanPrintheads);
        return true;
    case IDC_PRINT_BAD_ALIGN:
        RunService(id, DeviceOperation::AlignPrintheads);
        return true;
    default:
        return false;
    }
}

void CPrintBadDlg::OnLinkClicked(int id)
{
    if (id == IDC_PRINT_BAD_TROUBLESHOOTING) {
        theApp.AnswerTrail() += L"@PQ Help";
        OpenProductSupport(L"s-001");
    } else if (id == IDC_FEEDBACK_LINK) {
        OpenSurveyLink();
    }
}

bool CPrintBadDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == WM_SETFOCUS && HasContent()) {
        ShowStepIcons();
        ::SetFocus(GetDlgItem(IDC_RETRY));
        result = 0;
        return true;
    }
    return CWizardPage::OnMessage(message, wParam, lParam, result);
}
