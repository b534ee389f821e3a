// The ink levels, printer information and printer services tabs as real windows under Xvfb, filled
// from the access managers' records. Links go to a shell stand-in; the support portal is a
// loopback server. Popups run on USB printers whose device interfaces lead nowhere.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "LoopbackHttpServer.h"
#include "TestFolder.h"
#include "app/AppMessages.h"
#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "discovery/DeviceRecords.h"
#include "pages/FirmwareDlg.h"
#include "pages/InkLevelDlg.h"
#include "pages/InkLevelRules.h"
#include "pages/PrgsDlg.h"
#include "pages/PrinterServicesDlg.h"
#include "quill/QuillManager.h"
#include "quill/SNMPNWManager.h"
#include "sable/SableManager.h"
#include "ui/WindowTestSupport.h"
#include "winapi/Handles.h"
#include "res/resource.h"

namespace {

constexpr SIZE kHostSize = {760, 560};

Device_Dev NetworkPrinter(const std::wstring& productId)
{
    Device_Dev device;
    device.deviceName = device.friendlyName = L"Kelo Workline 4420 Series (127.0.0.10)";
    device.address = L"127.0.0.10";
    device.productId = productId;
    device.isNetwork = true;
    return device;
}

Device_Dev UsbPrinter(const std::wstring& productId)
{
    Device_Dev device = GoneUsbPrinter();
    device.productId = productId;
    return device;
}

InkInfo Ink(const std::wstring& colour, const std::wstring& level, const std::wstring& number)
{
    InkInfo ink;
    ResetInkInfo(ink, L"Not available");
    ink.colour = colour;
    ink.level = level;
    ink.selectabilityNumber = number;
    return ink;
}

// What a window paints of itself, through its own painting code, as 32-bit pixels.
class Snapshot {
public:
    explicit Snapshot(HWND window)
    {
        RECT client;
        ::GetClientRect(window, &client);
        width_ = client.right;
        height_ = client.bottom;
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB};
        void* bits = nullptr;
        HDC screen = ::GetDC(nullptr);
        NGWinApi::MemoryDc dc(screen);
        ::ReleaseDC(nullptr, screen);
        bitmap_.reset(::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        bits_ = static_cast<const uint32_t*>(bits);
        NGWinApi::Selection selected(dc.get(), bitmap_.get());
        ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT | PRF_ERASEBKGND);
        ::GdiFlush();
    }
    COLORREF At(int x, int y) const
    {
        if (bits_ == nullptr || x < 0 || y < 0 || x >= width_ || y >= height_)
            return CLR_INVALID;
        const uint32_t pixel = bits_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }
    // How many pixels of the rectangle are not `colour`.
    int OtherThan(const RECT& area, COLORREF colour) const
    {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                count += At(x, y) != colour ? 1 : 0;
        return count;
    }

private:
    NGWinApi::UniqueBitmap bitmap_;
    const uint32_t* bits_ = nullptr;
    int width_ = 0, height_ = 0;
};

std::string Hex(COLORREF colour)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02x%02x%02x", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

class InfoTabs : public ::testing::Test {
protected:
    static void SetUpTestSuite() { SuiteWindowServices::Start(); }
    static void TearDownTestSuite() { SuiteWindowServices::Stop(); }

    InfoTabs() : kernel_(folder_.Path()), scopedKernel_(kernel_), scopedShell_(shell_)
    {
        WriteProgramData(folder_);
        WriteLoopbackSupportLinks(folder_);
        EXPECT_TRUE(LoadEnglishStrings());
        LoadInterfaceResourcesOnce();
        manager_ = &AdoptManagerWithTests();
        host_ = HostWindow::Get(kHostSize);
        theApp.SetMainWindow(host_);
        theApp.AnswerTrail().clear();
        CPrgsDlg::SetMinimumShowTime(20);
    }
    ~InfoTabs() override
    {
        EXPECT_EQ(::GetObjectType(theApp.AppFont(6)), static_cast<DWORD>(OBJ_FONT)) << "a shared font was deleted";
        CPrgsDlg::SetMinimumShowTime(kProgressMinimumShowMs);
        StringTable().SetLanguageId(1033);
        theApp.SetMainWindow(nullptr);
        theApp.AdoptDiagnosisManager(nullptr);
        theApp.AnswerTrail().clear();
    }

    void Select(const Device_Dev& device)
    {
        manager_->ReplaceDevices({device});
        manager_->SetSelectedIndex(0);
    }
    template <class Page>
    void Open(Page& page)
    {
        ASSERT_TRUE(page.Create(host_)) << ::GetLastError();
        RECT client;
        ::GetClientRect(host_, &client);
        ::SetWindowPos(page.GetSafeHwnd(), nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_SHOWWINDOW);
    }
    static std::wstring Item(const CDialogBase& page, int id) { return ItemText(page.GetSafeHwnd(), id); }
    static bool Shown(const CDialogBase& page, int id) { return HasVisibleStyle(page.GetDlgItem(id)); }
    static bool Enabled(const CDialogBase& page, int id) { return ::IsWindowEnabled(page.GetDlgItem(id)) != FALSE; }

    TestFolder folder_;
    FakeExecutableFolder kernel_;
    NGWinApi::ScopedApi<NGWinApi::CKernelApi> scopedKernel_;
    RecordingShell shell_;
    NGWinApi::ScopedApi<NGWinApi::CShellApi> scopedShell_;
    CDiagnosticMgr* manager_ = nullptr;
    HWND host_ = nullptr;
};

} // namespace

// ---- Ink levels ----

TEST_F(InfoTabs, TheInkListDrawsItsBarsThroughTheOwnerDrawPath)
{
    Select(NetworkPrinter(L"5912"));
    manager_->Sable().MutableRecords().inkList = {Ink(L"BLACK", L"100", L"910XL"), Ink(L"Tri-color", L"50", L"910"),
                                                 Ink(L"Violet", L"80", L"911")};
    SetPrinterRegionText(L"Europe");
    CInkLevelDlg page;
    Open(page);
    page.FillInkPage();
    PumpWaiting();

    EXPECT_EQ(Item(page, IDC_PAGE_HEADING), UiText(L"TSY_DIAGNOSE_HEADING") + L" Kelo Workline 4420 Series (127.0.0.10)");
    EXPECT_EQ(Item(page, IDC_INK_NOTICE), UiText(L"TSY_INKLEVELS_HEAD"));
    EXPECT_EQ(Item(page, IDC_INK_REGION_LABEL), UiText(L"TSY_INKLEVELS_PRINTERREGION"));
    EXPECT_EQ(Item(page, IDC_INK_REGION), L"Europe");
    HWND list = page.GetDlgItem(IDC_INK_LIST);
    ASSERT_EQ(Header_GetItemCount(ListView_GetHeader(list)), 4);
    EXPECT_EQ(ListView_GetColumnWidth(list, 0), 230);
    EXPECT_EQ(ListView_GetColumnWidth(list, 3), 170);
    ASSERT_EQ(ListView_GetItemCount(list), 11);
    wchar_t text[64] = {};
    ListView_GetItemText(list, 0, 0, text, 64);
    EXPECT_EQ(std::wstring(text), UiText(L"TSY_INKLEVELS_COLOR"));
    ListView_GetItemText(list, 8, 1, text, 64);
    EXPECT_EQ(std::wstring(text), L"910XL");
    // The list measures its rows by its font: a bar row is taller than the bar's inset twice.
    RECT row = {};
    ListView_GetItemRect(list, 2, &row, LVIR_BOUNDS);
    EXPECT_GE(row.bottom - row.top, 15);

    const Snapshot picture(list);
    const COLORREF paper = ::GetSysColor(COLOR_WINDOW);
    const COLORREF grey = RGB(85, 85, 85);
    const auto bar = [&](int column) {
        RECT cell = {};
        ListView_GetSubItemRect(list, 2, column, LVIR_BOUNDS, &cell);
        return cell;
    };
    // Black, 100 %: filled to the outline's inner right edge, nothing beyond the outline.
    RECT cell = bar(1);
    int middle = (cell.top + cell.bottom) / 2;
    const int outlineRight = cell.right - 40;
    EXPECT_EQ(Hex(picture.At(cell.left + 1, middle)), Hex(grey)) << "the outline";
    EXPECT_EQ(Hex(picture.At(cell.left + 10, middle)), "000000");
    EXPECT_EQ(Hex(picture.At(outlineRight - 4, middle)), "000000") << "full to the inner right edge";
    EXPECT_EQ(Hex(picture.At(outlineRight - 1, middle)), Hex(grey));
    EXPECT_EQ(picture.OtherThan({outlineRight, cell.top, cell.right, cell.bottom}, paper), 0) << "right of the bar";

    // Tri-colour, 50 %: cyan, magenta and yellow from top to bottom, empty past the half.
    cell = bar(2);
    middle = (cell.top + cell.bottom) / 2;
    const int x = cell.left + 10;
    EXPECT_EQ(Hex(picture.At(x, cell.top + 3)), "00ffff");
    EXPECT_EQ(Hex(picture.At(x, middle)), "8b008b");
    EXPECT_EQ(Hex(picture.At(x, cell.bottom - 4)), "ffff00");
    EXPECT_EQ(Hex(picture.At(cell.left + 2 + (outlineRight - 4 - cell.left) * 3 / 4, middle)), Hex(paper));

    // A colour no key names: only the outline.
    cell = bar(3);
    EXPECT_EQ(Hex(picture.At(cell.left + 1, (cell.top + cell.bottom) / 2)), Hex(grey));
    EXPECT_EQ(picture.OtherThan({cell.left + 3, cell.top + 3, cell.right - 43, cell.bottom - 3}, paper), 0);

    // The colour row shows the names.
    RECT colourCell = {};
    ListView_GetSubItemRect(list, 0, 1, LVIR_BOUNDS, &colourCell);
    EXPECT_GT(picture.OtherThan(colourCell, paper), 0);
    EXPECT_EQ(page.List().ColourRowTop(), colourCell.top);
    EXPECT_TRUE(SavePictureWhenPainted(page.GetSafeHwnd(), GalleryPath(L"tabs\\ink_levels_filled.bmp")));
}

TEST_F(InfoTabs, NoCartridgesShowTheNoticeAndAColumnPastTheRecordsStaysEmpty)
{
    Select(UsbPrinter(L"9311"));
    SetPrinterRegionText(L"Not available");
    CInkLevelDlg page;
    Open(page);
    page.FillInkPage();
    PumpWaiting();
    HWND list = page.GetDlgItem(IDC_INK_LIST);
    EXPECT_EQ(Item(page, IDC_INK_NOTICE), UiText(L"TSY_INK_LEVEL_NO_DATA"));
    EXPECT_EQ(Item(page, IDC_INK_REGION), L"Not available");
    EXPECT_EQ(Header_GetItemCount(ListView_GetHeader(list)), 1) << "the label column only";
    RECT client;
    ::GetClientRect(list, &client);
    EXPECT_EQ(Snapshot(list).OtherThan(client, ::GetSysColor(COLOR_WINDOW)), 0) << "nothing is drawn";
    EXPECT_TRUE(SavePictureWhenPainted(page.GetSafeHwnd(), GalleryPath(L"tabs\\ink_levels_no_data.bmp")));

    // Two columns, then the records shrink under the list: the second column draws nothing.
    manager_->QuillUsb().MutableRecords().inkList = {Ink(L"Black", L"60", L"61"), Ink(L"Cyan", L"60", L"61")};
    page.FillInkPage();
    ASSERT_EQ(Header_GetItemCount(ListView_GetHeader(list)), 3);
    const std::vector<InkInfo> shorter = {Ink(L"Black", L"60", L"61")};
    page.List().SetConsumables(&shorter);
    const Snapshot picture(list);
    RECT first = {}, second = {};
    ListView_GetSubItemRect(list, 2, 1, LVIR_BOUNDS, &first);
    ListView_GetSubItemRect(list, 2, 2, LVIR_BOUNDS, &second);
    EXPECT_EQ(Hex(picture.At(first.left + 10, (first.top + first.bottom) / 2)), "000000");
    for (int row = 0; row < 11; ++row) {
        ListView_GetSubItemRect(list, row, 2, LVIR_BOUNDS, &second);
        EXPECT_EQ(picture.OtherThan(second, ::GetSysColor(COLOR_WINDOW)), 0) << "row " << row;
    }
}

// ---- Printer information ----

TEST_F(InfoTabs, TheInformationPageShowsTheRecordsOfTheServingManager)
{
    Select(NetworkPrinter(L"7511")); // Quill over the network
    CFirmwareDlg page;
    Open(page);
    EXPECT_EQ(Item(page, IDC_FIRMWARE_HARDWARE), UiText(L"TSY_FIRMWARE_HEAD1"));
    EXPECT_EQ(Item(page, IDC_FIRMWARE_HEAD_NUMBER_LABEL), UiText(L"TSY_FIRMWARE_PRINTHEADNO"));
    EXPECT_EQ(Item(page, IDC_UPDATE_FIRMWARE), UiText(L"TSY_UPDATEFIRMWARE_BUTTON"));

    const std::wstring na = UiText(L"TSY_NOT_AVAILABLE");
    const auto head = [](const std::wstring& number, const std::wstring& health) {
        PrintHeadInfo info = MakePrintHeadInfo(L"?");
        info.printheadNumber = number;
        info.health = health;
        return info;
    };
    struct Case {
        const char* name;
        int32_t pageCount;
        std::vector<PrintHeadInfo> heads;
        std::wstring pageCountText, numberText, healthText;
    } const cases[] = {
        {"page count 0, 18-character number", 0, {head(L"C1234567890ABCDEFG", L"Good")}, L"0", L"C1234567890ABCDEFG",
         L"Good"},
        {"unknown page count, 19 characters", -1, {head(L"C1234567890ABCDEFGH", L"Good")}, na, L"C1234567890ABCDEFG H",
         L"Good"},
        {"no printheads", 40211, {}, L"40211", na, na},
        {"four printheads: the last shows", 7, {head(L"1", L"a"), head(L"2", L"b"), head(L"3", L"c"), head(L"4", L"d")},
         L"7", L"4", L"d"},
        {"one of four read: it shows", 7, {head(L"1", L"Good"), head(na, na), head(na, na), head(na, na)}, L"7", L"1",
         L"Good"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CDeviceAccessManager& access = manager_->QuillNetwork();
        access.ResetDeviceData();
        DeviceRecords& records = access.MutableRecords();
        records.deviceInfo.modelName = L"Kelo Workline 6500 All-in-One";
        records.deviceInfo.serialNumber = L"CN7511Q02B";
        records.deviceInfo.firmwareRevision = L"WKL6500CN1947BR";
        records.deviceInfo.totalImpressions = c.pageCount;
        records.printHeadList = c.heads;
        // The page's message 1040 fills it.
        EXPECT_EQ(::SendMessageW(page.GetSafeHwnd(), kMsgFillFirmware, 0, 0), 0);
        EXPECT_EQ(Item(page, IDC_FIRMWARE_MODEL), L"Kelo Workline 6500 All-in-One");
        EXPECT_EQ(Item(page, IDC_FIRMWARE_SERIAL), L"CN7511Q02B");
        EXPECT_EQ(Item(page, IDC_FIRMWARE_VERSION), L"WKL6500CN1947BR");
        EXPECT_EQ(Item(page, IDC_FIRMWARE_MAC), na);
        EXPECT_EQ(Item(page, IDC_FIRMWARE_PAGE_COUNT), c.pageCountText);
        EXPECT_EQ(Item(page, IDC_FIRMWARE_HEAD_NUMBER), c.numberText);
        EXPECT_EQ(Item(page, IDC_FIRMWARE_HEAD_HEALTH), c.healthText);
    }
    EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), IDC_FIRMWARE_REFRESH);
    PumpWaiting();
    EXPECT_EQ(LayoutFaults(page.GetSafeHwnd()), "");
    EXPECT_TRUE(SavePictureWhenPainted(page.GetSafeHwnd(), GalleryPath(L"tabs\\printer_information.bmp")));

    // The other managers' records are not this printer's.
    manager_->Sable().MutableRecords().deviceInfo.serialNumber = L"CN5912D01A";
    page.FillFirmwarePage();
    EXPECT_EQ(Item(page, IDC_FIRMWARE_SERIAL), L"CN7511Q02B");
}

TEST_F(InfoTabs, UpdateFirmwareOpensThePortalPageOfThePrinterEvenUnderSimulation)
{
    auto portal = LoopbackHttpServer::OnPort80(60);
    ASSERT_TRUE(portal != nullptr) << "no loopback address for the portal";
    portal->Answer("/apps/Nav", 200);
    folder_.Write(L"config\\support_links.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SupportLinks>"
                                               "<Host ID=\"SUPPORT_HOST\" Value=\"" + portal->Host() +
                                                   "\"/><Host ID=\"MAIN_WEB_HOST\" Value=\"127.0.0.1\"/></SupportLinks>\n");
    Device_Dev printer = UsbPrinter(L"2212"); // the table's OID of 2312
    printer.friendlyName = L"Kelo Vireo 4500 Class driver";
    Select(printer);
    manager_->SetErrorSimulationActive(true);
    CFirmwareDlg page;
    Open(page);
    ClickButton(page, IDC_UPDATE_FIRMWARE);
    ASSERT_EQ(shell_.opened.size(), 1u);
    const std::wstring& link = shell_.opened.front();
    EXPECT_EQ(link.rfind(portal->Link("/apps/Nav?h_pagetype=s-002&h_lang="), 0), 0u) << std::string(link.begin(), link.end());
    EXPECT_NE(link.find(L"&h_product=2511707&h_client=s-h-e021-1"), std::wstring::npos);
    EXPECT_EQ(shell_.verbs.front(), L"open");
}

// ---- Printer services ----

TEST_F(InfoTabs, ServiceRowsFollowTheCatalogueTheExclusionListsAndTheLanguage)
{
    Select(UsbPrinter(L"b311")); // alignment and cleaning excluded, diagnostics page printed
    CPrinterServicesDlg page;
    Open(page);
    PumpWaiting();
    const int buttons[] = {IDC_SERVICE_QUALITY, IDC_SERVICE_ALIGN, IDC_SERVICE_CLEAN, IDC_SERVICE_DIAGNOSTICS};
    const int titles[] = {IDC_SERVICE_QUALITY_TITLE, IDC_SERVICE_ALIGN_TITLE, IDC_SERVICE_CLEAN_TITLE,
                          IDC_SERVICE_DIAGNOSTICS_TITLE};
    const int texts[] = {IDC_SERVICE_QUALITY_TEXT, IDC_SERVICE_ALIGN_TEXT, IDC_SERVICE_CLEAN_TEXT,
                         IDC_SERVICE_DIAGNOSTICS_TEXT};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_NE(::SendMessageW(page.GetDlgItem(buttons[i]), BM_GETIMAGE, IMAGE_ICON, 0), 0) << "an icon";
        const std::wstring row = std::to_wstring(i + 1);
        EXPECT_EQ(Item(page, titles[i]), UiText((L"TSY_SERVICES_HEAD" + row).c_str()));
        EXPECT_EQ(Item(page, texts[i]), UiText((L"TSY_SERVICES_MSG" + row).c_str()));
        const bool usable = i == 0 || i == 3;
        for (int id : {buttons[i], titles[i], texts[i]}) {
            EXPECT_TRUE(Shown(page, id));
            EXPECT_EQ(Enabled(page, id), usable) << id;
        }
    }
    EXPECT_EQ(Item(page, IDC_SERVICES_TROUBLESHOOT), L"<a>" + UiText(L"TSY_TROUBLESHOOT_LINK") + L"</a>");
    EXPECT_TRUE(Shown(page, IDC_FEEDBACK_LINK));
    EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), IDC_SERVICES_EXIT);
    EXPECT_EQ(LayoutFaults(page.GetSafeHwnd()), "");
    EXPECT_TRUE(SavePictureWhenPainted(page.GetSafeHwnd(), GalleryPath(L"tabs\\services_excluded.bmp")));

    // A product without the diagnostics page: three rows, all usable.
    Select(UsbPrinter(L"2112"));
    page.PrepareServicesPage();
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(Shown(page, buttons[i]) && Enabled(page, buttons[i])) << i + 1;
    for (int id : {buttons[3], titles[3], texts[3]})
        EXPECT_FALSE(Shown(page, id)) << id;

    // Any other language: no survey link.
    StringTable().SetLanguageId(1036);
    page.PrepareServicesPage();
    EXPECT_FALSE(Shown(page, IDC_FEEDBACK_LINK));
    EXPECT_FALSE(Enabled(page, IDC_FEEDBACK_LINK));
    EXPECT_TRUE(Shown(page, IDC_SERVICES_TROUBLESHOOT));
}

TEST_F(InfoTabs, EachServiceButtonRunsItsOperationBehindThePopupAndLogsTheOutcome)
{
    Select(UsbPrinter(L"2112")); // a Sable printer whose device interface leads nowhere
    CPrinterServicesDlg page;
    Open(page);
    struct Case {
        int button;
        DeviceOperation operation;
        const char* logLine;
    } const cases[] = {
        {IDC_SERVICE_QUALITY, DeviceOperation::PrintQualityPage, "Device operation 4 (PrintQualityPage) failed."},
        {IDC_SERVICE_ALIGN, DeviceOperation::AlignPrintheads, "Device operation 6 (AlignPrintheads) failed."},
        {IDC_SERVICE_CLEAN, DeviceOperation::CleanPrintheads, "Device operation 5 (CleanPrintheads) failed."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logLine);
        LogTail log;
        bool popupShown = false;
        WhileModal watch([&] { return popupShown = popupShown || CPrgsDlg::ShowingWindow() != nullptr; }, 5);
        ClickButton(page, c.button);
        EXPECT_EQ(page.LastServiceOperation(), c.operation);
        EXPECT_EQ(CPrgsDlg::ShowingWindow(), nullptr) << "the popup has gone when the button returns";
        EXPECT_NE(log.Appended().find(c.logLine), std::string::npos) << log.Appended();
    }
}

TEST_F(InfoTabs, TheTroubleshootLinkOpensThePrintQualityHelpUnlessSimulating)
{
    Select(UsbPrinter(L"2112"));
    CPrinterServicesDlg page;
    Open(page);
    ClickLink(page, IDC_SERVICES_TROUBLESHOOT);
    EXPECT_EQ(theApp.AnswerTrail(), L"@PQ Help");
    EXPECT_EQ(shell_.opened.size(), 1u) << "the customer care page when the portal does not answer";
    ClickLink(page, IDC_FEEDBACK_LINK);
    ASSERT_EQ(shell_.opened.size(), 2u);
    EXPECT_NE(shell_.opened[1].find(L"&q8="), std::wstring::npos) << "the survey";

    manager_->SetErrorSimulationActive(true);
    ClickLink(page, IDC_SERVICES_TROUBLESHOOT, NM_RETURN);
    EXPECT_EQ(shell_.opened.size(), 2u);
    EXPECT_EQ(theApp.AnswerTrail(), L"@PQ Help");
}

// Texts that send the user to a tab name it as the tab strip labels it.
TEST_F(InfoTabs, MessagesNameTheTabsAsTheStripLabelsThem)
{
    const std::wstring information = UiText(L"TSY_PROPERTY_FIRMWARE");
    const std::wstring ink = UiText(L"TSY_PROPERTY_INKLEVELS");
    ASSERT_FALSE(information.empty() || ink.empty());
    EXPECT_NE(UiText(L"TSY_ADDITIONAL_HELP_MSG").find(information + L" tab"), std::wstring::npos);
    for (const wchar_t* key : {L"TSY_DEVICE_ERROR_MSG_26", L"TSY_DEVICE_ERROR_MSG_49"})
        EXPECT_NE(UiText(key).find(ink + L" tab"), std::wstring::npos) << std::string(key, key + wcslen(key));
}
