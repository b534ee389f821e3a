#include <gtest/gtest.h>

#include <cstdio>

#include "QuillTestSupport.h"
#include "TestFolder.h"
#include "components/kelodev/QuillProcTable.h"
#include "quill/DeviceQuill.h"
#include "quill/QuillManager.h"
#include "quill/QuillRules.h"

namespace {

const wchar_t kQueue[] = L"Kelo Homeline 3100";
const wchar_t kGoneQueue[] = L"Kelo Homeline Gone"; // an endpoint where nothing listens
const wchar_t kOctetsQueue[] = L"Kelo Homeline 3200"; // keeps the SNMP types over USB
const char kPrinter[] = "quill-usb";

std::vector<uint8_t> Id(const char* quillId)
{
    return *QuillIdBytes(quillId);
}

// kelodev12.ini beside the library (this program's folder) names the simulator's endpoint.
class UsbQuillTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring folder(path);
        folder.resize(folder.find_last_of(L'\\') + 1);
        FILE* ini = _wfopen((folder + L"kelodev12.ini").c_str(), L"wb");
        ASSERT_NE(ini, nullptr);
        std::fputs("[Printers]\nKelo Homeline 3100 = 127.0.7.20:9170\nKelo Homeline Gone = 127.0.7.29:9179\n"
                   "Kelo Homeline 3200 = 127.0.7.21:9171\n"
                   "[Settings]\nTimeoutMs = 2000\n", ini);
        std::fclose(ini);
    }

    void SetUp() override
    {
        ASSERT_TRUE(sim_.Ready()) << "no simulator (KELO_QUILL_SIM_READY)";
        ASSERT_TRUE(sim_.Apply(kPrinter, "fault.quill-wire =\nquill.1.1.3.6 =\nquill.1.4.1.2.5 =\nquill.1.1.2.19 ="));
    }

    const Device_Dev printer_ = UsbPrinter(kQueue);
    ProductStrings strings_;
    SimControl sim_{"KELO_QUILL_SIM_READY"};
};

TEST_F(UsbQuillTest, StringsTakeTheirPrefixOnlyWhenItIsOne)
{
    ASSERT_TRUE(sim_.Apply(kPrinter, "quill.1.1.3.6 = hex 41-42\nquill.1.1.2.19 = hex 07"));
    CDeviceQuill device(kQueue);
    std::wstring text;
    uint16_t prefix = 0xFFFF;
    EXPECT_EQ(device.GetText(Id("1.1.3.3").data(), &text, &prefix, 1024), 0u);
    EXPECT_EQ(text, L"USB31");
    EXPECT_EQ(prefix, 0x0105);

    prefix = 0xFFFF;
    EXPECT_EQ(device.GetText(Id("1.1.3.6").data(), &text, &prefix, 1024), 0u);
    EXPECT_EQ(text, L"AB");
    EXPECT_EQ(prefix, 0xFFFF);
    EXPECT_EQ(device.GetText(Id("1.1.2.19").data(), &text, &prefix, 1024), 0u);
    EXPECT_EQ(text, L"\x07"); // one byte is no prefix

    EXPECT_EQ(device.GetText(Id("1.1.3.3").data(), nullptr, nullptr, 1024), kQuillMissingArgument);
    EXPECT_EQ(device.GetInt(Id("1.1.3.3").data(), nullptr, nullptr), kQuillMissingArgument);
    EXPECT_EQ(device.GetText(Id("9.9.9").data(), &text, nullptr, 1024), 2u); // the library's own code
}

TEST_F(UsbQuillTest, IntegerTypesDecideWhatIsDelivered)
{
    CDeviceQuill device(kQueue);
    int32_t value = -7;
    uint8_t type = 0;
    EXPECT_EQ(device.GetInt(Id("1.4.1.2.5").data(), &value, &type), 0u);
    EXPECT_EQ(value, 777);
    EXPECT_EQ(type, 1);

    // Alternatives: the first identifier that answers, the library's own code when none does.
    const std::vector<uint8_t> unknown = Id("9.9.9"), pages = Id("1.4.1.2.5"), serial = Id("1.1.3.3");
    const QuillId intIds[] = {unknown.data(), pages.data()};
    value = 0;
    EXPECT_EQ(device.GetIntFirstOf(intIds, 2, &value, nullptr), 0u);
    EXPECT_EQ(value, 777);
    EXPECT_EQ(device.GetIntFirstOf(intIds, 1, &value, nullptr), 2u);
    const QuillId textIds[] = {unknown.data(), serial.data()};
    std::wstring serialText;
    EXPECT_EQ(device.GetTextFirstOf(textIds, 2, &serialText, nullptr, 1024), 0u);
    EXPECT_EQ(serialText, L"USB31");

    ASSERT_TRUE(sim_.Apply(kPrinter, "quill.1.4.1.2.5 = string 99"));
    value = -7;
    EXPECT_EQ(device.GetInt(Id("1.4.1.2.5").data(), &value, nullptr), 0u); // type 4: success, value untouched
    EXPECT_EQ(value, -7);

    ASSERT_TRUE(sim_.Apply(kPrinter, "quill.1.4.1.2.5 =\nfault.quill-wire = wrong-types"));
    EXPECT_EQ(device.GetInt(Id("1.4.1.2.5").data(), &value, nullptr), kQuillUnusableType); // typed 3
    std::wstring text;
    EXPECT_EQ(device.GetText(Id("1.1.3.3").data(), &text, nullptr, 1024), kQuillUnusableType);

    CQuillManager manager;
    LogTail log;
    ASSERT_TRUE(manager.GetDeviceInfo(printer_));
    EXPECT_EQ(manager.Records().deviceInfo.totalImpressions, -1);
    EXPECT_NE(log.Appended().find("Quill GetPageCount failed"), std::string::npos);
    EXPECT_NE(log.Appended().find("Quill GetSerialNumber failed"), std::string::npos);
}

TEST_F(UsbQuillTest, LostDeviceIsClosedAndOpenedAgain)
{
    CDeviceQuill device(kQueue);
    int32_t value = 0;
    ASSERT_EQ(device.GetInt(Id("1.4.1.2.5").data(), &value, nullptr), 0u);
    ASSERT_NE(device.Library().DeviceHandle(), 0u);

    ASSERT_TRUE(sim_.Apply(kPrinter, "fault.quill-wire = silence"));
    EXPECT_EQ(device.GetInt(Id("1.4.1.2.5").data(), &value, nullptr), kQuillDeviceLost);
    EXPECT_EQ(device.Library().DeviceHandle(), 0u);
    ASSERT_TRUE(sim_.Apply(kPrinter, "fault.quill-wire ="));
    EXPECT_EQ(device.GetInt(Id("1.4.1.2.5").data(), &value, nullptr), 0u);
    EXPECT_NE(device.Library().DeviceHandle(), 0u);

    // The library's notification closes the handle too; other codes and messages do not.
    const HWND window = device.Library().Window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(::SendMessageW(window, QuillProcs::kNotificationMessage, 0, MAKELPARAM(2, 0)), 0);
    EXPECT_NE(device.Library().DeviceHandle(), 0u);
    EXPECT_EQ(::SendMessageW(window, QuillProcs::kNotificationMessage, 0, MAKELPARAM(1, 0)), 0);
    EXPECT_EQ(device.Library().DeviceHandle(), 0u);
    EXPECT_EQ(device.GetInt(Id("1.4.1.2.5").data(), &value, nullptr), 0u);

    // A connection the printer drops is reported lost, and the window is told.
    ASSERT_TRUE(sim_.Apply(kPrinter, "fault.quill-wire = disconnect"));
    EXPECT_EQ(device.GetInt(Id("1.4.1.2.5").data(), &value, nullptr), kQuillDeviceLost);
    MSG message;
    EXPECT_TRUE(::PeekMessageW(&message, window, QuillProcs::kNotificationMessage, QuillProcs::kNotificationMessage,
                               PM_REMOVE));
    EXPECT_EQ(LOWORD(message.lParam), 1);

    CDeviceQuill gone(kGoneQueue);
    EXPECT_EQ(gone.GetInt(Id("1.4.1.2.5").data(), &value, nullptr), kQuillDeviceLost);
}

TEST_F(UsbQuillTest, DeviceInformation)
{
    CQuillManager manager;
    manager.ResetDeviceData();
    ASSERT_TRUE(manager.GetPrintHeadInfo(printer_));
    ASSERT_TRUE(manager.GetDeviceInfo(printer_));
    DeviceInfo info = manager.Records().deviceInfo;
    EXPECT_EQ(info.modelName, L"Kelo Homeline 3100");
    EXPECT_EQ(info.serialNumber, L"USB31");
    EXPECT_EQ(info.firmwareRevision, L"HML3100FW");
    EXPECT_EQ(info.serviceId, L"23045");
    EXPECT_EQ(info.bornDate, L"14/2/2013 ");
    EXPECT_EQ(info.macAddress, L"00:1A:2B:3C:4D:31");
    EXPECT_EQ(info.totalImpressions, 777);
    EXPECT_EQ(info.inkKitNumber, Text(L"TSY_NOT_AVAILABLE"));
    const std::vector<PrintHeadInfo> heads = manager.Records().printHeadList;
    ASSERT_EQ(heads.size(), 4u);
    EXPECT_EQ(heads[0].printheadNumber, L"7");
    EXPECT_EQ(heads[0].installationDate, L"20130214");
    EXPECT_EQ(heads[0].warranty, L"valid");
    EXPECT_EQ(heads[0].health, L"ok");
    EXPECT_EQ(heads[1].health, Text(L"TSY_NOT_AVAILABLE"));

    ASSERT_TRUE(sim_.Apply(kPrinter, "quill.1.1.2.19 = absent"));
    ASSERT_TRUE(manager.GetDeviceInfo(printer_));
    info = manager.Records().deviceInfo;
    EXPECT_EQ(info.serviceId, L"23044");
    EXPECT_EQ(info.bornDate, L"13/2/2013 ");
}

TEST_F(UsbQuillTest, InksKeepSlotsWhoseColourIsUnknown)
{
    ASSERT_TRUE(sim_.Apply(kPrinter, "quill.1.4.1.5.4.4.1 = absent"));
    SetPrinterRegionText(L"");
    CQuillManager manager;
    manager.GetInkLevelInfo(printer_);
    const std::vector<InkInfo> inks = manager.Records().inkList;
    ASSERT_EQ(inks.size(), 3u);
    EXPECT_EQ(inks[0].colour, Text(L"TSY_COLOR_BLACK"));
    EXPECT_EQ(inks[0].level, L"45");
    EXPECT_EQ(inks[0].dropsUsed, L"3000");
    EXPECT_EQ(inks[0].selectabilityNumber, L"930XL");
    EXPECT_EQ(inks[0].serialNumber, L"KB930");
    EXPECT_EQ(inks[0].consumableState, Text(L"TSY_INKSTATE_LOW"));
    EXPECT_EQ(inks[0].brand, L"Kelo");
    EXPECT_EQ(inks[1].colour, Text(L"TSY_NOT_AVAILABLE")); // colour code 16 is kept over USB
    EXPECT_EQ(inks[1].level, L"20");
    EXPECT_EQ(inks[2].colour, Text(L"TSY_COLOR_YELLOW"));
    EXPECT_EQ(inks[2].consumableState, Text(L"TSY_INKSTATE_EXPIRED"));
    EXPECT_EQ(inks[2].brand, L"Non Kelo");
    for (const InkInfo& ink : inks)
        EXPECT_EQ(ink.installationDate, L"14-02-2013");
    EXPECT_EQ(PrinterRegionText(), L"5");

    // A lost device during the flags leaves the list empty.
    ASSERT_TRUE(sim_.Apply(kPrinter, "fault.quill-wire = silence"));
    manager.GetInkLevelInfo(printer_);
    EXPECT_TRUE(manager.Records().inkList.empty());
}

// Printers that keep the SNMP types over USB (colour codes and the feeder word as octets,
// printhead health and warranty as integers) read as the others do.
TEST_F(UsbQuillTest, ObjectsKeptAsOctetsOrIntegersReadAlike)
{
    const struct {
        const wchar_t* queue;
        int32_t feederWord;
        const wchar_t* health;
        const wchar_t* warranty;
    } printers[] = {
        {kQueue, 0x10, L"ok", L"valid"},
        {kOctetsQueue, 0x08, L"2", L"1"},
    };
    for (const auto& p : printers) {
        const Device_Dev printer = UsbPrinter(p.queue);
        CQuillManager manager;
        manager.GetInkLevelInfo(printer);
        const std::vector<InkInfo> inks = manager.Records().inkList;
        ASSERT_EQ(inks.size(), 3u);
        EXPECT_EQ(inks[0].colour, Text(L"TSY_COLOR_BLACK"));
        EXPECT_EQ(inks[1].colour, Text(L"TSY_NOT_AVAILABLE")); // 16, not in the table
        EXPECT_EQ(inks[2].colour, Text(L"TSY_COLOR_YELLOW"));

        ASSERT_TRUE(manager.GetPrintHeadInfo(printer));
        const PrintHeadInfo head = manager.Records().printHeadList.at(0);
        EXPECT_EQ(head.printheadNumber, L"7");
        EXPECT_EQ(head.health, p.health);
        EXPECT_EQ(head.warranty, p.warranty);

        CDeviceQuill device(p.queue);
        int32_t word = -1;
        EXPECT_TRUE(device.GetStatusObjectChecked(word));
        EXPECT_EQ(word, p.feederWord);
    }
}

TEST_F(UsbQuillTest, ServiceCommandsWriteIntegers)
{
    CQuillManager manager;
    const std::string service = "1.3.6.1.4.1.48213.2.3.9.4.2.1.1.5.2.0\t";
    sim_.Clear(kPrinter);
    EXPECT_TRUE(manager.CleanPrintHead(printer_));
    EXPECT_TRUE(manager.AlignPrintHead(printer_));
    EXPECT_TRUE(manager.PrintQualityDiagnosticPage(printer_));
    EXPECT_TRUE(manager.PrintDiagnosticPage(printer_));
    EXPECT_EQ(sim_.Sets(kPrinter), "1.3.6.1.4.1.48213.2.3.9.4.2.1.4.1.5.1.1.0\t100\n" + service + "1000\n" + service +
                                       "1100\n" + service + "1000\n" + service + "10\n");
    EXPECT_FALSE(manager.CleanPrintHead(UsbPrinter(kGoneQueue)));
}

} // namespace
