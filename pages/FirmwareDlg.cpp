#include "pages/FirmwareDlg.h"

#include <string>
#include <vector>

#include "app/AppMessages.h"
#include "app/engine/DeviceOperations.h"
#include "app/FontUtil.h"
#include "app/KeloTessalyApp.h"
#include "discovery/DeviceRecords.h"
#include "pages/FeedbackDlg.h"
#include "pages/FirmwareRules.h"
#include "res/resource.h"

namespace {

struct Label {
    int id;
    const wchar_t* key;
};

constexpr Label kLabels[] = {
    {IDC_FIRMWARE_MODEL_LABEL, L"TSY_FIRMWARE_MODELNAME"},
    {IDC_FIRMWARE_SERIAL_LABEL, L"TSY_FIRMWARE_SN"},
    {IDC_FIRMWARE_SERVICE_ID_LABEL, L"TSY_FIRMWARE_SERVICEID"},
    {IDC_FIRMWARE_BORN_DATE_LABEL, L"TSY_FIRMWARE_BORNDATE"},
    {IDC_FIRMWARE_PAGE_COUNT_LABEL, L"TSY_FIRMWARE_PAGECOUNT"},
    {IDC_FIRMWARE_VERSION_LABEL, L"TSY_FIRMWARE_VERSION"},
    {IDC_FIRMWARE_MAC_LABEL, L"TSY_FIRMWARE_MACADDRESS"},
    {IDC_FIRMWARE_INK_KIT_LABEL, L"TSY_FIRMWARE_IKNO"},
    {IDC_FIRMWARE_SOFTWARE_LABEL, L"TSY_FIRMWARE_SOFTWAREVER"},
    {IDC_FIRMWARE_DRIVER_LABEL, L"TSY_FIRMWARE_PRINTERDRIVERVER"},
    {IDC_FIRMWARE_HEAD_NUMBER_LABEL, L"TSY_FIRMWARE_PRINTHEADNO"},
    {IDC_FIRMWARE_HEAD_HEALTH_LABEL, L"TSY_FIRMWARE_PRINTHEADHEALTH"},
    {IDC_FIRMWARE_HEAD_DATE_LABEL, L"TSY_FIRMWARE_PRINTHEADDATE"},
    {IDC_FIRMWARE_HEAD_WARRANTY_LABEL, L"TSY_FIRMWARE_PRINTHEADWARRANTY"},
};

constexpr Label kGroups[] = {
    {IDC_FIRMWARE_HARDWARE, L"TSY_FIRMWARE_HEAD1"},
    {IDC_FIRMWARE_SOFTWARE, L"TSY_FIRMWARE_HEAD2"},
    {IDC_FIRMWARE_PRINTHEAD, L"TSY_FIRMWARE_HEAD3"},
};

constexpr Label kButtons[] = {
    {IDC_UPDATE_FIRMWARE, L"TSY_UPDATEFIRMWARE_BUTTON"},
    {IDC_FIRMWARE_REFRESH, L"TSY_Refresh_BUTTON"},
    {IDC_TAB_EXIT, L"TSY_EXIT_BUTTON"},
};

// The device information texts copied as they stand (the page count is formatted).
struct InfoValue {
    int id;
    std::wstring DeviceInfo::*field;
};

constexpr InfoValue kInfoValues[] = {
    {IDC_FIRMWARE_MODEL, &DeviceInfo::modelName},
    {IDC_FIRMWARE_SERIAL, &DeviceInfo::serialNumber},
    {IDC_FIRMWARE_SERVICE_ID, &DeviceInfo::serviceId},
    {IDC_FIRMWARE_BORN_DATE, &DeviceInfo::bornDate},
    {IDC_FIRMWARE_VERSION, &DeviceInfo::firmwareRevision},
    {IDC_FIRMWARE_MAC, &DeviceInfo::macAddress},
    {IDC_FIRMWARE_INK_KIT, &DeviceInfo::inkKitNumber},
    {IDC_FIRMWARE_SOFTWARE_VERSION, &DeviceInfo::panelProgramVersion},
    {IDC_FIRMWARE_DRIVER_VERSION, &DeviceInfo::printerDriverVersion},
};

constexpr int kHeadValues[] = {IDC_FIRMWARE_HEAD_NUMBER, IDC_FIRMWARE_HEAD_HEALTH, IDC_FIRMWARE_HEAD_DATE,
                               IDC_FIRMWARE_HEAD_WARRANTY};

} // namespace

CFirmwareDlg::CFirmwareDlg() : CTabPage(IDD_FIRMWARE), textFont_(CreateInterfaceFont(14, 500)) {}

BOOL CFirmwareDlg::OnInitDialog()
{
    PrepareFirmwarePage();
    return TRUE;
}

void CFirmwareDlg::PrepareFirmwarePage()
{
    if (GetSafeHwnd() == nullptr)
        return;
    const bool appFonts = ApplicationFonts();
    SetHeading(appFonts ? theApp.AppFont(2) : PageFont(2));
    HFONT text = appFonts ? theApp.AppFont(7) : textFont_.get();
    HFONT frame = appFonts ? theApp.AppFont(5) : PageFont(5);
    for (const Label& label : kLabels) {
        SetFont(label.id, text);
        SetKeyText(label.id, label.key);
    }
    for (const InfoValue& value : kInfoValues)
        SetFont(value.id, text);
    for (int id : kHeadValues)
        SetFont(id, text);
    SetFont(IDC_FIRMWARE_PAGE_COUNT, text);
    for (const Label& group : kGroups) {
        SetFont(group.id, frame);
        SetKeyText(group.id, group.key);
    }
    for (const Label& button : kButtons) {
        SetFont(button.id, frame);
        SetKeyText(button.id, button.key);
    }
}

LRESULT CFirmwareDlg::FillFirmwarePage()
{
    if (GetSafeHwnd() == nullptr)
        return 0;
    const CDeviceAccessManager* access = ServingManager();
    DeviceRecords records;
    if (access != nullptr) {
        records = access->Records();
    } else {
        ResetDeviceInfo(records.deviceInfo, NotAvailableText());
    }
    const DeviceInfo& info = records.deviceInfo;
    for (const InfoValue& value : kInfoValues)
        SetText(value.id, info.*value.field);
    SetText(IDC_FIRMWARE_PAGE_COUNT, firmware::PageCountText(info.totalImpressions, NotAvailableText()));

    PrintHeadInfo head = MakePrintHeadInfo(NotAvailableText());
    if (!records.printHeadList.empty()) {
        std::vector<std::wstring> numbers;
        for (const PrintHeadInfo& each : records.printHeadList)
            numbers.push_back(each.printheadNumber);
        head = records.printHeadList[firmware::ShownPrinthead(numbers, NotAvailableText())];
    }
    SetText(IDC_FIRMWARE_HEAD_NUMBER, firmware::PrintheadNumberText(head.printheadNumber));
    SetText(IDC_FIRMWARE_HEAD_HEALTH, head.health);
    SetText(IDC_FIRMWARE_HEAD_DATE, head.installationDate);
    SetText(IDC_FIRMWARE_HEAD_WARRANTY, head.warranty);

    RepaintMainWindow();
    ::SetFocus(GetDlgItem(IDC_FIRMWARE_REFRESH));
    return 0;
}

bool CFirmwareDlg::OnButton(int id)
{
    switch (id) {
    case IDC_FIRMWARE_REFRESH:
        if (CDeviceAccessManager* access = ServingManager())
            access->ResetDeviceData();
        if (HWND main = theApp.MainWindow())
            ::SendMessageW(main, kMsgReadDeviceAgain, 3, 0);
        return true;
    case IDC_UPDATE_FIRMWARE:
        OpenProductSupport(L"s-002");
        return true;
    case IDC_TAB_EXIT:
        CloseMainWindow();
        return true;
    default:
        return false;
    }
}

bool CFirmwareDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case kMsgFillFirmware:
        result = FillFirmwarePage();
        return true;
    case WM_SETFOCUS:
        ::SetFocus(GetDlgItem(IDC_TAB_EXIT));
        result = 0;
        return true;
    default:
        return CTabPage::OnMessage(message, wParam, lParam, result);
    }
}
