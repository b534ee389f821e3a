#include "components/diagcore/UsbInterfacePath.h"

#include <gtest/gtest.h>

using namespace diagcore;

TEST(UsbInterfacePath, IdsSerialAndClassFromThePath)
{
    auto printer = ReadUsbInterfacePath(L"\\\\?\\usb#vid_0a7e&pid_7e11#CN7E11U01#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}");
    EXPECT_EQ(printer.vendorId, L"0A7E");
    EXPECT_EQ(printer.productId, L"7E11");
    EXPECT_EQ(printer.serialNumber, L"CN7E11U01");
    EXPECT_EQ(printer.interfaceClass, L"{28d78fad-5a12-11d1-ae5b-0000f803a8c2}");
    EXPECT_EQ(UsbHardwareId(printer), L"VID_0A7E&PID_7E11");

    // A composite device's interface, and an instance id the system made up (no serial).
    auto composite = ReadUsbInterfacePath(L"\\\\?\\USB#VID_0A7E&PID_1812&MI_01#7&1a2b3c4d&0&0001#{x}");
    EXPECT_EQ(composite.productId, L"1812");
    EXPECT_EQ(composite.serialNumber, L"");

    for (const wchar_t* odd : {L"", L"\\\\?\\USB#VID_0A7&PID_18#x#{y}", L"LPT1", L"\\\\?\\USB#PID_1812#x#{y}"})
        EXPECT_EQ(UsbHardwareId(ReadUsbInterfacePath(odd)), L"") << odd;

    // Two interfaces of one printer name one device; another interface of a composite does not.
    const std::wstring_view printing = L"\\\\?\\USB#VID_0A7E&PID_1812#S1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
    const std::wstring_view channel = L"\\\\?\\usb#vid_0a7e&pid_1812#S1#{36fc9e60-c465-11cf-8056-444553540000}";
    EXPECT_EQ(UsbDeviceOfInterface(printing), L"\\\\?\\USB#VID_0A7E&PID_1812#S1");
    EXPECT_TRUE(EqualsNoCase(UsbDeviceOfInterface(printing), UsbDeviceOfInterface(channel)));
    EXPECT_EQ(UsbDeviceOfInterface(L"LPT1"), L"LPT1");
    EXPECT_EQ(UsbDeviceOfInterface(L"\\\\?\\USB#VID_0A7E&PID_1812#S1#"), L"\\\\?\\USB#VID_0A7E&PID_1812#S1#");
}

TEST(UsbInterfacePath, PortMonitorRecordsAndNames)
{
    EXPECT_EQ(DeviceClassesKeyName(L"\\\\?\\USB#VID_0A7E&PID_1812#S1#{g}"), L"##?#USB#VID_0A7E&PID_1812#S1#{g}");
    EXPECT_EQ(UsbPortName(L"USB", 1), L"USB001");
    EXPECT_EQ(UsbPortName(L"", 12), L"USB012");
    EXPECT_EQ(UsbPortName(L"DOT4_", 1234), L"DOT4_1234");
    EXPECT_TRUE(ContainsNoCase(L"Kelo Homeline 2150 series", L"HOMELINE 2150"));
    EXPECT_FALSE(ContainsNoCase(L"Kelo", L"Kelo Homeline"));
}
