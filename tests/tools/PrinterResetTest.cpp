// Printer resets: the raw port of the simulator's network printers (tests/tools/print.scenario),
// and a simulated USB printer behind the device I/O fake.
#include <gtest/gtest.h>

#include <winsock2.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "TestFolder.h"
#include "sable/SimControl.h"
#include "sim/FakeUsbDeviceIo.h"
#include "sim/SimDevice.h"
#include "sim/UsbPrinter.h"
#include "tools/PrinterReset.h"
#include "tools/ResetBlocks.h"

namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

Device_Dev NetworkPrinter(const wchar_t* address)
{
    Device_Dev device;
    device.address = address;
    device.isNetwork = true;
    return device;
}

ResetWaits ShortWaits()
{
    ResetWaits waits;
    waits.connectMs = waits.sendMs = waits.usbWriteMs = 700;
    return waits;
}

class PrinterReset : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim_.Ready()) << "no simulator (KELO_SABLE_SIM_READY)";
        for (const char* printer : {"reset-net", "reset-stall"})
            sim_.Post(std::string("/printers/") + printer + "/clear", "");
    }

    // The raw port's bytes once `expected` have arrived (or after five seconds).
    std::string Received(const std::string& printer, size_t expected) const
    {
        const Clock::time_point start = Clock::now();
        while (sim_.Count(printer, "print-bytes") < static_cast<int>(expected) && MillisecondsSince(start) < 5000)
            ::Sleep(20);
        return sim_.Get("/printers/" + printer + "/received/print");
    }

    SimControl sim_;
};

TEST_F(PrinterReset, NetworkPrinterGetsTheCommandBlockOnceWithoutExitBlocks)
{
    EXPECT_TRUE(ResetOverNetwork(NetworkPrinter(L"127.0.9.20")));
    EXPECT_EQ(Received("reset-net", kResetCommandBlockBytes), ResetCommandBlock());
    EXPECT_EQ(sim_.Count("reset-net", "print-jobs"), 1);
}

TEST_F(PrinterReset, NetworkFailuresAreLoggedAndBounded)
{
    {
        const LogTail log;
        EXPECT_FALSE(ResetOverNetwork(NetworkPrinter(L"127.0.9.21"), ShortWaits()));
        EXPECT_NE(log.Appended().find("Connection to the network printer is failed."), std::string::npos);
    }
    {
        const LogTail log;
        EXPECT_FALSE(ResetOverNetwork(NetworkPrinter(L""), ShortWaits()));
        EXPECT_NE(log.Appended().find("IPAddress is empty."), std::string::npos);
        EXPECT_EQ(log.Appended().find("Connection to the network printer"), std::string::npos) << "no socket opened";
    }
    {
        // Accepting and never reading: 42 bytes fit the socket buffers, so the reset ends at once.
        const Clock::time_point start = Clock::now();
        EXPECT_TRUE(ResetOverNetwork(NetworkPrinter(L"127.0.9.22"), ShortWaits()));
        EXPECT_LT(MillisecondsSince(start), 3000);
    }
}

TEST_F(PrinterReset, ConnectionNobodyAnswersEndsWithinTheBound)
{
    // A listener whose accept queue is full: the kernel drops further connection requests, as a
    // printer behind a dead link would.
    WSADATA data{};
    ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &data), 0);
    SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::inet_addr("127.0.9.23");
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    int length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    std::vector<SOCKET> fillers;
    for (int i = 0; i < 4; ++i) {
        SOCKET filler = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        u_long nonBlocking = 1;
        ::ioctlsocket(filler, FIONBIO, &nonBlocking);
        ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
        fillers.push_back(filler);
    }
    ::Sleep(200);

    ResetWaits waits = ShortWaits();
    waits.port = ntohs(address.sin_port);
    const LogTail log;
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(ResetOverNetwork(NetworkPrinter(L"127.0.9.23"), waits));
    EXPECT_LT(MillisecondsSince(start), 3000);
    EXPECT_NE(log.Appended().find("did not answer the connection in 700 ms"), std::string::npos) << log.Appended();
    EXPECT_NE(log.Appended().find("Connection to the network printer is failed."), std::string::npos);

    for (SOCKET filler : fillers)
        ::closesocket(filler);
    ::closesocket(listener);
    ::WSACleanup();
}

class UsbPrinterReset : public ::testing::Test {
protected:
    UsbPrinterReset() : deviceIo_(io_)
    {
        sim::PrinterConfig config = sim::DefaultPrinter("usb-reset");
        config.usb = true;
        usbDevice_ = std::make_shared<sim::SimDevice>(config);
        printer_.address = io_.Plug(std::make_shared<sim::UsbPrinter>(usbDevice_));
    }

    sim::FakeUsbDeviceIo io_;
    NGWinApi::ScopedApi<NGWinApi::CDeviceIoApi> deviceIo_;
    std::shared_ptr<sim::SimDevice> usbDevice_;
    Device_Dev printer_;
};

TEST_F(UsbPrinterReset, ExitCommandExitEachInItsOwnOpen)
{
    EXPECT_TRUE(ResetPrinter(printer_, ShortWaits()));
    const sim::ReceivedLog received = usbDevice_->Received();
    EXPECT_EQ(received.printJobs, 3) << "one open, write and close per block";
    const std::string bytes(received.printBytes.begin(), received.printBytes.end());
    EXPECT_EQ(bytes, ResetExitBlock() + ResetCommandBlock() + ResetExitBlock());
}

TEST_F(UsbPrinterReset, StalledPrinterEndsWithinTheBoundAndOneResetRunsAtATime)
{
    std::string error;
    ASSERT_TRUE(usbDevice_->Apply("fault.usb", "stall", error)) << error;
    CPrinterReset reset;
    reset.SetWaits(ShortWaits());
    const LogTail log;
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(reset.Start(printer_));
    EXPECT_FALSE(reset.Start(printer_)) << "a second reset would interleave its bytes";
    EXPECT_NE(log.Appended().find("A printer reset is still running"), std::string::npos);
    EXPECT_TRUE(reset.Wait(5000));
    EXPECT_LT(MillisecondsSince(start), 4000) << "three bounded writes";
    EXPECT_FALSE(reset.LastSucceeded());
    EXPECT_NE(log.Appended().find("The printer did not take the reset data in 700 ms."), std::string::npos);

    ASSERT_TRUE(usbDevice_->Apply("fault.usb", "", error)) << error;
    ASSERT_TRUE(reset.Start(printer_)) << "the first reset has ended";
    EXPECT_TRUE(reset.Wait(5000));
    EXPECT_TRUE(reset.LastSucceeded());
}

} // namespace
