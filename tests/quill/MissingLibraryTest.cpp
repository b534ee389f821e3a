#include <gtest/gtest.h>

#include "QuillTestSupport.h"
#include "TestFolder.h"
#include "quill/DeviceQuill.h"
#include "quill/QuillManager.h"

namespace {

// This program lives in a folder without kelodev12.dll (and runs there).
TEST(MissingLibrary, EveryUsbReaderFailsAndSaysSo)
{
    ProductStrings strings;
    const Device_Dev printer = UsbPrinter(L"Kelo Homeline 3100");
    const std::wstring notAvailable = Text(L"TSY_NOT_AVAILABLE");
    ASSERT_FALSE(notAvailable.empty());

    CDeviceQuill device(L"Kelo Homeline 3100");
    int32_t value = 5;
    EXPECT_EQ(device.GetInt(reinterpret_cast<QuillId>("\x01\x04\x01\x02\x05"), &value, nullptr), kQuillDeviceLost);
    EXPECT_EQ(value, 5);

    CQuillManager manager;
    LogTail log;
    ASSERT_TRUE(manager.GetDeviceInfo(printer));
    const DeviceInfo info = manager.Records().deviceInfo;
    for (const std::wstring* field : {&info.modelName, &info.serialNumber, &info.firmwareRevision, &info.serviceId,
                                      &info.bornDate, &info.macAddress, &info.inkKitNumber})
        EXPECT_EQ(*field, notAvailable);
    EXPECT_EQ(info.totalImpressions, -1);
    for (const char* line : {"Quill GetModelName failed", "Quill GetSerialNumber failed",
                             "Quill GetFirmwareVersion failed", "Quill GetServiceID failed",
                             "Quill GetMacAddress failed", "Quill GetPageCount failed"})
        EXPECT_NE(log.Appended().find(line), std::string::npos) << line;

    manager.GetInkLevelInfo(printer);
    EXPECT_TRUE(manager.Records().inkList.empty());
    ASSERT_TRUE(manager.GetPrintHeadInfo(printer));
    EXPECT_EQ(manager.Records().printHeadList.size(), 4u);
    EXPECT_EQ(manager.Records().printHeadList[0].printheadNumber, notAvailable);
    EXPECT_FALSE(manager.CleanPrintHead(printer));
    EXPECT_FALSE(manager.PrintDiagnosticPage(printer));
}

} // namespace
