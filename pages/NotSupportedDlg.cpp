#include "pages/NotSupportedDlg.h"

#include "app/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "res/resource.h"

namespace {

constexpr int kIdNotSupportedMessage = 1023;
constexpr int kIdCustomerCare = 1028;
constexpr int kIdForum = 1029;
constexpr int kIdDownload = 1031;

// The selected printer's name; the placeholder printer without devices.
std::wstring PrinterName()
{
    const CDiagnosticMgr* manager = theApp.DiagnosisManager();
    const Device_Dev* device = manager != nullptr && !manager->Devices().empty() ? manager->Selected() : nullptr;
    if (device == nullptr)
        return L" Kelo Dummy Printer";
    return device->friendlyName.empty() ? device->deviceName : device->friendlyName;
}

} // namespace

CNotSupportedDlg::CNotSupportedDlg() : CWizardPage(IDD_NOT_SUPPORTED, false) {}

BOOL CNotSupportedDlg::OnInitDialog()
{
    if (!HasContent())
        return TRUE;
    ApplyTexts({{1006, L"TSY_BACK_BUTTON", FontRole::Button},
                {2, L"TSY_CANCEL_BUTTON", FontRole::Button}});
    SetItemText(kIdCustomerCare, CustomerCareLinkText());
    SetItemText(kIdForum, ForumLinkText());
    SetItemText(kIdDownload, DownloadLinkText());
    SetFonts({{kIdCustomerCare, FontRole::Link}, {kIdForum, FontRole::Link}, {kIdDownload, FontRole::Link}});
    OnPrepare(0);
    return TRUE;
}

void CNotSupportedDlg::OnPrepare(int32_t command)
{
    (void)command;
    std::wstring message = Text(L"TSY_NOTSUPPORTED_STRING1") + L"\r\n\r\n" + Text(L"TSY_NOTSUPPORTED_STRING2") +
                           L"\r\n\r\n" + Text(L"TSY_NOTSUPPORTED_STRING3");
    const std::wstring name = PrinterName();
    for (size_t at = message.find(L"%s"); at != std::wstring::npos; at = message.find(L"%s", at + name.size()))
        message.replace(at, 2, name);
    SetItemText(kIdNotSupportedMessage, message);
    SetFonts({{kIdNotSupportedMessage, FontRole::Message}});
    FrameAround(kIdNotSupportedMessage);
}
