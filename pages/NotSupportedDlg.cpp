#include "pages/NotSupportedDlg.h"

#include <commctrl.h>

#include "app/AppMessages.h"
#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "discovery/DeviceEnumeration.h"
#include "links/LinkRules.h"
#include "links/SupportLinkBuilder.h"
#include "pages/FeedbackDlg.h"
#include "res/resource.h"

namespace {


// The selected printer's name; the placeholder printer without devices.
std::wstring PrinterName()
{
    const CDiagnosticMgr* manager = theApp.DiagnosisManager();
    const std::optional<Device_Dev> device = manager != nullptr && !manager->Devices().empty() ? manager->Selected() : std::nullopt;
    if (!device)
        return L" Kelo Dummy Printer";
    return device->friendlyName.empty() ? device->deviceName : device->friendlyName;
}

// The product's support page found through the portal's product query.
void OpenSupportByQuery()
{
    const CDiagnosticMgr* manager = theApp.DiagnosisManager();
    const std::optional<Device_Dev> device = manager != nullptr ? manager->Selected() : std::nullopt;
    SupportLinkBuilder links;
    links.UseApplicationSettings();
    links.OpenProductSupportLinkByQuery(
        StringTable().GetString(L"TSY_LANG_CODE"),
        device ? ModelNameForSupportLink(device->friendlyName, device->deviceName) : std::wstring(),
        L"s-001");
}

} // namespace

CNotSupportedDlg::CNotSupportedDlg() : CWizardPage(IDD_NOT_SUPPORTED, false) {}

BOOL CNotSupportedDlg::OnInitDialog()
{
    if (!HasContent())
        return TRUE;
    OnPrepare(0);
    return TRUE;
}

void CNotSupportedDlg::OnPrepare(int32_t command)
{
    (void)command;
    ApplyTexts({{IDC_BACK, L"TSY_BACK_BUTTON", FontRole::Button}, {2, L"TSY_CANCEL_BUTTON", FontRole::Button}});
    SetItemText(IDC_RESULT_CUSTOMER_CARE, CustomerCareLinkText());
    SetItemText(IDC_RESULT_FORUM, ForumLinkText());
    SetItemText(IDC_RESULT_DOWNLOAD, DownloadLinkText());
    SetFonts({{IDC_RESULT_CUSTOMER_CARE, FontRole::Link}, {IDC_RESULT_FORUM, FontRole::Link}, {IDC_RESULT_DOWNLOAD, FontRole::Link}});
    ShowMessage();
}

void CNotSupportedDlg::ShowMessage()
{
    std::wstring message = Text(L"TSY_NOTSUPPORTED_STRING1") + L"\r\n\r\n" + Text(L"TSY_NOTSUPPORTED_STRING2") +
                           L"\r\n\r\n" + Text(L"TSY_NOTSUPPORTED_STRING3");
    const std::wstring name = PrinterName();
    for (size_t at = message.find(L"%s"); at != std::wstring::npos; at = message.find(L"%s", at + name.size()))
        message.replace(at, 2, name);
    SetItemText(IDC_RESULT_MESSAGE, message);
    SetFonts({{IDC_RESULT_MESSAGE, FontRole::Message}});
    FrameAround(IDC_RESULT_MESSAGE);
}

bool CNotSupportedDlg::OnButton(int id)
{
    if (id != IDC_BACK)
        return false;
    if (CDiagnosticMgr* manager = Manager()) {
        DeviceList found;
        EnumeratePrinters(found);
        manager->ReplaceDevices(found);
        manager->SetNetworkSearchDone(false);
    }
    // The selection page belongs to the main window, also when the wizard shows this page.
    if (HWND main = theApp.MainWindow())
        ::SendMessageW(main, kMsgPageCommandToMain, 1, 0);
    Hide();
    return true;
}

void CNotSupportedDlg::OnSupportLink(int id)
{
    switch (id) {
    case IDC_RESULT_CUSTOMER_CARE:
        OpenSupportByQuery();
        break;
    case IDC_RESULT_FORUM:
        OpenStringTableLink(L"TSY_URL_FORUM", L"@CNotSupportedDlg::OnNMClickSyslink2 Page not found\r\n%s");
        break;
    case IDC_RESULT_DOWNLOAD:
        OpenStringTableLink(L"TSY_URL_DU", L"@CNotSupportedDlg::OnNMClickSyslink3 Page not found\r\n%s");
        break;
    default:
        break;
    }
}

bool CNotSupportedDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == WM_SETFOCUS && HasContent()) {
        ShowMessage();
        result = 0;
        return true;
    }
    if (message == WM_NOTIFY) {
        // Unlike the other wizard pages' links these also work under error simulation.
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        const int id = static_cast<int>(header->idFrom);
        if ((header->code == NM_CLICK || header->code == NM_RETURN) &&
            (id == IDC_RESULT_CUSTOMER_CARE || id == IDC_RESULT_FORUM || id == IDC_RESULT_DOWNLOAD)) {
            OnSupportLink(id);
            result = 0;
            return true;
        }
    }
    return CWizardPage::OnMessage(message, wParam, lParam, result);
}
