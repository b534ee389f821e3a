// The status code of USB printers plugged in through the simulator's device interface.
#include <gtest/gtest.h>

#include <memory>

#include "discovery/UsbStatus.h"
#include "sim/FakeUsbDeviceIo.h"
#include "winapi/DeviceIoApi.h"

namespace {

class UsbStatusTest : public ::testing::Test {
protected:
    UsbStatusTest() : scoped_(io_) {}

    std::wstring Plug(int statusCode, bool lengthInFront = false)
    {
        sim::PrinterConfig config = sim::DefaultPrinter("desk");
        config.usb = true;
        config.statusCode = statusCode;
        config.deviceIdLength = lengthInFront;
        return io_.Plug(std::make_shared<sim::UsbPrinter>(std::make_shared<sim::SimDevice>(config)));
    }

    sim::FakeUsbDeviceIo io_;
    NGWinApi::ScopedApi<NGWinApi::CDeviceIoApi> scoped_;
};

} // namespace

TEST_F(UsbStatusTest, ReadsTheCodeFromTheIdentification)
{
    struct Case {
        int device;
        int32_t read;
        bool lengthInFront; // the driver passes the raw reply's two length bytes on
    };
    for (Case c : {Case{0, 0, false}, Case{0x0e, 14, false}, Case{0x3d, 61, false}, Case{0x40, 6, false},
                   Case{0x0e, 14, true}, Case{0x3d, 61, true}}) {
        std::wstring path = Plug(c.device, c.lengthInFront);
        int32_t code = -1;
        EXPECT_TRUE(ReadUsbStatus(path, code)) << c.device;
        EXPECT_EQ(code, c.read) << c.device << (c.lengthInFront ? " behind its length" : "");
        io_.Unplug(path);
    }
    EXPECT_EQ(io_.OpenHandles(), 0u) << "every read closes its device";
}

TEST_F(UsbStatusTest, MissingOrBusyDevicesLeaveTheCodeAlone)
{
    std::wstring path = Plug(0x0e);
    std::wstring identification;
    ASSERT_TRUE(ReadUsbIdentification(path, identification));
    EXPECT_EQ(identification.find(L"MFG:Kelo;"), 0u);

    HANDLE holder = io_.CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    int32_t code = -1;
    EXPECT_FALSE(ReadUsbStatus(path, code)) << "opened without sharing by someone else";
    EXPECT_EQ(code, -1);
    io_.CloseHandle(holder);

    io_.Unplug(path);
    EXPECT_FALSE(ReadUsbStatus(path, code));
    EXPECT_EQ(code, -1);
}
