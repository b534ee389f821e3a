#include "pages/FeedbackDlg.h"

#include <commctrl.h>

#include <array>
#include <cstdlib>

#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "links/LinkRules.h"
#include "links/SupportLinkBuilder.h"
#include "pages/WizardPageRules.h"
#include "support/LogFile.h"
#include "support/OSInformation.h"
#include "res/resource.h"
#include "KeloVersion.h"

namespace {

constexpr wchar_t kToolVersion[] = KELO_VERSION_WTEXT;
constexpr wchar_t kInvitation[] =
    L"Kelo values your feedback.\n\nWe'd like to ask you a few brief questions about your experience with the Kelo "
    L"Tessaly today. This will help us improve the tool for future users, and no personally identifiable data will be "
    L"collected about you or your system.";
constexpr wchar_t kNoSurveyText[] = L"No, Exit without taking survey";
constexpr wchar_t kYesSurveyText[] = L"Yes, Exit taking survey";

// 8-bit system texts as the current locale reads them.
std::wstring Widened(const std::string& text)
{
    if (text.empty())
        return {};
    const size_t length = std::mbstowcs(nullptr, text.c_str(), 0);
    if (length == static_cast<size_t>(-1))
        return std::wstring(text.begin(), text.end());
    std::wstring wide(length, L'\0');
    std::mbstowcs(wide.data(), text.c_str(), length);
    return wide;
}

// "name edition servicePack - " before the bitness, as both forms begin.
std::wstring SystemPart(const os_info& os)
{
    return L"V" + std::wstring(kToolVersion) + L"@" + Widened(os.name) + L" " + Widened(os.edition) + L" " +
           Widened(os.servicePack) + L" - ";
}

// The answer field carries printer and system names: encoded, it cannot end the address.
std::wstring SurveyAddress(const std::wstring& address, const std::wstring& answer)
{
    return address + L"&q8=" + PercentEncode(answer);
}

CDiagnosticMgr* Manager() { return theApp.DiagnosisManager(); }

} // namespace

std::function<SYSTEMTIME()> surveyClock = [] {
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    return now;
};

std::wstring SurveyTimeStamp(const SYSTEMTIME& time)
{
    static constexpr std::array<const wchar_t*, 12> kMonths = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                                               L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
    const wchar_t* month = time.wMonth >= 1 && time.wMonth <= 12 ? kMonths[time.wMonth - 1u] : L"";
    return L" " + std::wstring(month) + L" " + std::to_wstring(time.wDay) + L" " + std::to_wstring(time.wYear) +
           L" " + std::to_wstring(time.wHour) + L":" + std::to_wstring(time.wMinute) + L":" +
           std::to_wstring(time.wSecond);
}

std::wstring DeviceSurveyLink(const std::wstring& address, const os_info& os, const std::wstring& printerName,
                              bool isNetwork, const std::wstring& errorTrail, const std::wstring& answerTrail)
{
    return SurveyAddress(address, SystemPart(os) + Widened(os.bitness) + L"@" + printerName + L"@" +
                                      (isNetwork ? L"Network" : L"USB") + errorTrail + answerTrail);
}

std::wstring NoDeviceSurveyLink(const std::wstring& address, const os_info& os, const SYSTEMTIME& time)
{
    return SurveyAddress(address, SystemPart(os) + L"@" + Widened(os.bitness) + L" User Aborted Before Diagnosse" +
                                      SurveyTimeStamp(time));
}

std::wstring CurrentSurveyLink(SurveyCaller caller, const os_info& os, const SYSTEMTIME& now)
{
    const std::wstring address = StringTable().GetString(L"TSY_URL_FEEDBACK");
    const CDiagnosticMgr* manager = Manager();
    const std::optional<Device_Dev> device = manager != nullptr ? manager->Selected() : std::nullopt;
    if (!device) {
        // No printer to name: the dialog tells the survey so; a page has nothing to send.
        if (caller == SurveyCaller::Page)
            return {};
        return NoDeviceSurveyLink(address, os, now);
    }
    const std::wstring name = device->friendlyName.empty() ? device->deviceName : device->friendlyName;
    return DeviceSurveyLink(address, os, name, device->isNetwork, theApp.ErrorTrail(), theApp.AnswerTrail());
}

bool OpenSurveyLink(SurveyCaller caller, bool logFailure)
{
    const CDiagnosticMgr* manager = Manager();
    if (manager != nullptr && manager->ErrorSimulationActive())
        return false;
    os_info os;
    COSInformation::GetOSDisplayString(os);
    const std::wstring link = CurrentSurveyLink(caller, os, surveyClock());
    if (link.empty())
        return true;
    if (!SupportLinkBuilder::OpenLink(link) && logFailure)
        LogFile().Write(L"Error while opening link TSY_URL_FEEDBACK.");
    return true;
}

void OpenProductSupport(const wchar_t* pageType)
{
    const CDiagnosticMgr* manager = Manager();
    const std::optional<Device_Dev> device = manager != nullptr ? manager->Selected() : std::nullopt;
    if (!device)
        return;
    SupportLinkBuilder links;
    links.UseApplicationSettings();
    links.OpenProductSupportLink(StringTable().GetString(L"TSY_LANG_CODE"),
                                 ModelNameForSupportLink(device->friendlyName, device->deviceName), pageType,
                                 L"s-h-e021-1", device->productId);
}

void OpenStringTableLink(const wchar_t* urlKey, const wchar_t* failureFormat)
{
    const std::wstring address = StringTable().GetString(urlKey);
    if (!SupportLinkBuilder::OpenLink(address) && failureFormat != nullptr)
        LogFile().Write(failureFormat, address.c_str());
}

CFeedbackDlg::CFeedbackDlg() : CDialogBase(IDD_FEEDBACK) {}

CFeedbackDlg::~CFeedbackDlg() = default;

BOOL CFeedbackDlg::OnInitDialog()
{
    HWND hwnd = GetSafeHwnd();
    ::SetWindowTextW(hwnd, theApp.WindowTitle().c_str());
    const std::pair<int, int> fonts[] = {{IDC_FEEDBACK_TEXT, 4}, {IDC_FEEDBACK_NO_LINK, 4}, {IDOK, 5}};
    for (const auto& [id, n] : fonts)
        ::SendDlgItemMessageW(hwnd, id, WM_SETFONT, reinterpret_cast<WPARAM>(theApp.AppFont(n)), TRUE);
    ::SetDlgItemTextW(hwnd, IDC_FEEDBACK_TEXT, kInvitation);
    ::SetDlgItemTextW(hwnd, IDOK, kYesSurveyText);
    ::SetDlgItemTextW(hwnd, IDC_FEEDBACK_NO_LINK, LinkMarkup(kNoSurveyText).c_str());
    // Yes is the default answer, so it has the focus too.
    ::SetFocus(GetDlgItem(IDOK));
    return FALSE;
}

void CFeedbackDlg::OnOK()
{
    // Under simulation the survey is inert and the dialog stays open.
    if (OpenSurveyLink(SurveyCaller::FeedbackDialog))
        EndDialog(IDOK);
}

bool CFeedbackDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case WM_DESTROY:
        // Wine's SysLink deletes its font when it goes; the link holds a shared font.
        ::SendDlgItemMessageW(GetSafeHwnd(), IDC_FEEDBACK_NO_LINK, WM_SETFONT, 0, FALSE);
        return false;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        result = TransparentControlColour(wParam, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        return true;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == static_cast<UINT_PTR>(IDC_FEEDBACK_NO_LINK) &&
            (header->code == NM_CLICK || header->code == NM_RETURN)) {
            // "No": the dialog ends as answered, nothing is opened.
            EndDialog(IDOK);
            result = 0;
            return true;
        }
        return false;
    }
    default:
        return CDialogBase::OnMessage(message, wParam, lParam, result);
    }
}
