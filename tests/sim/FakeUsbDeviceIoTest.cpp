#include <gtest/gtest.h>

#include <windows.h>
#include <setupapi.h>

#include <cstddef>
#include <cwctype>
#include <memory>
#include <string>
#include <vector>

#include "TestFolder.h"
#include "sim/FakeUsbDeviceIo.h"
#include "sim/UsbHostReader.h"
#include "winapi/DeviceIoApi.h"
#include "winapi/Handles.h"

namespace {

using NGWinApi::DeviceIo;
using NGWinApi::Kernel;
using NGWinApi::UniqueDeviceHandle;
using NGWinApi::UniqueHandle;


constexpr DWORD kReadBlock = 2048;
const std::string kConfigPath = "/DevMgmt/ProductConfigDyn.xml";
const std::wstring kPrinterId = L"VID_0A7E&PID_2312";

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// The interface paths of one class that contain `hardwareId`, letter case ignored.
std::vector<std::wstring> FindInterfaces(const GUID& interfaceClass, const std::wstring& hardwareId)
{
    std::vector<std::wstring> paths;
    NGWinApi::UniqueDeviceInfoList set(
        DeviceIo().SetupDiGetClassDevsW(&interfaceClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!set.valid())
        return paths;
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof(data);
    for (DWORD index = 0; DeviceIo().SetupDiEnumDeviceInterfaces(set.get(), nullptr, &interfaceClass, index, &data);
         ++index) {
        DWORD size = 0;
        if (!DeviceIo().SetupDiGetDeviceInterfaceDetailW(set.get(), &data, nullptr, 0, &size, nullptr) &&
            ::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            continue;
        std::vector<BYTE> block(size);
        auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_W>(block.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (!DeviceIo().SetupDiGetDeviceInterfaceDetailW(set.get(), &data, detail, size, nullptr, nullptr))
            continue;
        std::wstring path(
            reinterpret_cast<const wchar_t*>(block.data() + offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath)));
        if (Lower(path).find(Lower(hardwareId)) != std::wstring::npos)
            paths.push_back(path);
    }
    return paths;
}

// An OVERLAPPED with an auto-reset event of its own.
struct EventOverlapped {
    EventOverlapped() { overlapped.hEvent = event.get(); }
    DWORD Wait(DWORD milliseconds) const { return Kernel().WaitForSingleObject(event.get(), milliseconds); }

    UniqueHandle event{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    OVERLAPPED overlapped{};
};

struct Fetch {
    bool sent = false;
    DWORD staleDrained = 0;
    UsbHostReader host;
};

// One resource fetched the way the tool's USB channel does it: open shared without the
// overlapped flag, drain stale input, write the request, then reads that each pass an
// OVERLAPPED with an auto-reset event and wait on it.
Fetch FetchOverUsb(const std::wstring& path, const std::string& resource)
{
    Fetch fetch;
    UniqueDeviceHandle device(DeviceIo().CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                                     FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!device)
        return fetch;
    char block[kReadBlock + 1];
    for (DWORD size; (size = DeviceIo().GetFileSize(device.get(), nullptr)) != 0 && size != INVALID_FILE_SIZE;) {
        DWORD read = 0;
        if (!DeviceIo().ReadFile(device.get(), block, kReadBlock, &read, nullptr) || read == 0)
            break;
        fetch.staleDrained += read;
    }
    std::string request = "GET " + resource + " HTTP/1.1\r\nHOST: \r\n\r\n";
    DWORD written = 0;
    fetch.sent = DeviceIo().WriteFile(device.get(), request.data(), static_cast<DWORD>(request.size()), &written,
                                      nullptr) != FALSE;
    if (!fetch.sent)
        return fetch;
    EventOverlapped overlapped;
    for (bool more = true; more;) {
        DeviceIo().ReadFile(device.get(), block, kReadBlock, nullptr, &overlapped.overlapped);
        DWORD read = 0;
        if (overlapped.Wait(10000) != WAIT_OBJECT_0 ||
            !DeviceIo().GetOverlappedResult(device.get(), &overlapped.overlapped, &read, FALSE))
            read = 0;
        more = fetch.host.Take(std::string_view(block, read));
    }
    return fetch;
}

sim::PrinterConfig UsbConfig(const std::string& productId = "2312", const std::string& serial = "CN4A7K1XYZ")
{
    sim::PrinterConfig config = sim::DefaultPrinter("usb " + productId);
    config.usb = true;
    config.productId = productId;
    config.serial = serial;
    return config;
}

std::string ExpectedConfigBody(const sim::PrinterConfig& config = UsbConfig())
{
    sim::SimDevice twin(config);
    return twin.HandleHttp({"GET", kConfigPath, "HTTP/1.1", {}, {}}).body;
}

class FakeUsbDeviceIoTest : public ::testing::Test {
protected:
    FakeUsbDeviceIoTest() { fake.SetSyncTimeout(std::chrono::milliseconds(20)); }

    void Fault(const std::string& faults, sim::SimDevice& target)
    {
        std::string error;
        ASSERT_TRUE(target.Apply("fault.usb", faults, error)) << error;
    }
    void Fault(const std::string& faults) { Fault(faults, *device); }

    UniqueDeviceHandle Open(DWORD access, DWORD share, DWORD flags = FILE_ATTRIBUTE_NORMAL)
    {
        return UniqueDeviceHandle(
            DeviceIo().CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, flags, nullptr));
    }

    std::string Printed() const
    {
        std::vector<uint8_t> bytes = device->Received().printBytes;
        return std::string(bytes.begin(), bytes.end());
    }

    sim::FakeUsbDeviceIo fake;
    std::shared_ptr<sim::SimDevice> device = std::make_shared<sim::SimDevice>(UsbConfig());
    std::shared_ptr<sim::UsbPrinter> printer = std::make_shared<sim::UsbPrinter>(device);
    std::wstring path = fake.Plug(printer);
    NGWinApi::ScopedApi<NGWinApi::CDeviceIoApi> scoped{fake};
};

TEST_F(FakeUsbDeviceIoTest, ListsEachInterfaceUnderTheClassItsPathEndsWith)
{
    auto scanner = std::make_shared<sim::SimDevice>(UsbConfig("4477", "IMG0001"));
    std::wstring scannerPath = fake.Plug(std::make_shared<sim::UsbPrinter>(scanner), sim::UsbSetupClass::Imaging);
    EXPECT_EQ(scannerPath, L"\\\\?\\USB#VID_0A7E&PID_4477#IMG0001#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}");

    // As Windows reports them: a path listed under a class ends with that class.
    const struct {
        const GUID* interfaceClass;
        std::wstring printer;
        const wchar_t* classText;
    } listings[] = {
        {&sim::kUsbPrintInterfaceGuid, kPrinterId, L"{28d78fad-5a12-11d1-ae5b-0000f803a8c2}"},
        {&sim::kUsbPrintInterfaceGuid, L"vid_0a7e&pid_4477", L"{28d78fad-5a12-11d1-ae5b-0000f803a8c2}"},
        {&sim::kUsbSetupClassGuid, kPrinterId, L"{36fc9e60-c465-11cf-8056-444553540000}"},
        {&sim::kImagingSetupClassGuid, L"vid_0a7e&pid_4477", L"{6bdd1fc6-810f-11d0-bec7-08002be2092f}"},
    };
    for (const auto& listing : listings) {
        const std::vector<std::wstring> found = FindInterfaces(*listing.interfaceClass, listing.printer);
        ASSERT_EQ(found.size(), 1u) << listing.classText;
        EXPECT_TRUE(found[0].ends_with(std::wstring(L"#") + listing.classText)) << found[0];
        // Either interface reaches the printer.
        UniqueDeviceHandle device(DeviceIo().CreateFileW(found[0].c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                         OPEN_EXISTING, 0, nullptr));
        EXPECT_TRUE(device) << found[0];
    }
    EXPECT_TRUE(FindInterfaces(sim::kUsbSetupClassGuid, L"vid_0a7e&pid_4477").empty());
    EXPECT_TRUE(FindInterfaces(sim::kImagingSetupClassGuid, kPrinterId).empty());

    // The detail comes in two calls: the size first, then the record with this architecture's size field.
    NGWinApi::UniqueDeviceInfoList set(DeviceIo().SetupDiGetClassDevsW(&sim::kUsbSetupClassGuid, nullptr, nullptr,
                                                                       DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof(data);
    ASSERT_TRUE(DeviceIo().SetupDiEnumDeviceInterfaces(set.get(), nullptr, &sim::kUsbSetupClassGuid, 0, &data));
    EXPECT_FALSE(DeviceIo().SetupDiEnumDeviceInterfaces(set.get(), nullptr, &sim::kUsbSetupClassGuid, 1, &data));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    DWORD size = 0;
    EXPECT_FALSE(DeviceIo().SetupDiGetDeviceInterfaceDetailW(set.get(), &data, nullptr, 0, &size, nullptr));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(size, 4 + (FindInterfaces(sim::kUsbSetupClassGuid, kPrinterId).at(0).size() + 1) * sizeof(wchar_t));
    std::vector<BYTE> block(size);
    auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_W>(block.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) == 8 ? 6 : 8; // the other architecture's
    EXPECT_FALSE(DeviceIo().SetupDiGetDeviceInterfaceDetailW(set.get(), &data, detail, size, nullptr, nullptr));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));

    // A printer goes with both of its interfaces.
    fake.Unplug(path);
    EXPECT_TRUE(FindInterfaces(sim::kUsbSetupClassGuid, kPrinterId).empty());
    EXPECT_TRUE(FindInterfaces(sim::kUsbPrintInterfaceGuid, kPrinterId).empty());
}

TEST_F(FakeUsbDeviceIoTest, FetchesProductConfigDynWhateverTheFraming)
{
    const char* cases[] = {
        "",
        "chunked",
        "read-size=100",
        "chunked read-size=103",
        "noise",
        "noise chunked empty-reads=3 read-size=500",
        "delay=100",
    };
    const std::string expected = ExpectedConfigBody();
    for (const char* faults : cases) {
        SCOPED_TRACE(faults);
        Fault(faults);
        Fetch fetch = FetchOverUsb(FindInterfaces(sim::kUsbSetupClassGuid, kPrinterId).at(0), kConfigPath);
        ASSERT_TRUE(fetch.sent);
        EXPECT_EQ(fetch.host.Body(), expected);
        EXPECT_EQ(fetch.host.Misaligned(), 0);
        EXPECT_EQ(fetch.host.ContentLength() == -1, std::string(faults).find("chunked") != std::string::npos);
        EXPECT_EQ(device->Received().httpRequests.back(), "GET " + kConfigPath + " HTTP/1.1");
    }
    EXPECT_EQ(fake.OpenHandles(), 0u);
}

TEST_F(FakeUsbDeviceIoTest, StaleInputIsReportedBySizeAndDrainedBeforeTheRequest)
{
    printer->QueueStaleInput(std::string(3000, 'x'));
    {
        UniqueDeviceHandle probe = Open(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
        DWORD high = 7;
        EXPECT_EQ(DeviceIo().GetFileSize(probe.get(), &high), 3000u);
        EXPECT_EQ(high, 0u);
    }
    Fetch fetch = FetchOverUsb(path, kConfigPath);
    EXPECT_EQ(fetch.staleDrained, 3000u);
    EXPECT_EQ(fetch.host.Body(), ExpectedConfigBody());

    UniqueDeviceHandle idle = Open(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_EQ(DeviceIo().GetFileSize(idle.get(), nullptr), INVALID_FILE_SIZE); // nothing waits: no size at all
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    std::string error;
    ASSERT_TRUE(device->Apply("usb-idle-size", "zero", error)); // as other drivers report it
    EXPECT_EQ(DeviceIo().GetFileSize(idle.get(), nullptr), 0u);
}

TEST_F(FakeUsbDeviceIoTest, SilenceAndACutBodyEndInTenEmptyReads)
{
    Fault("silence");
    Fetch silent = FetchOverUsb(path, kConfigPath);
    EXPECT_FALSE(silent.host.HeadComplete());
    EXPECT_EQ(silent.host.EmptyReads(), UsbHostReader::kEmptyReadLimit);

    Fault("disconnect");
    Fetch cut = FetchOverUsb(path, kConfigPath);
    EXPECT_TRUE(cut.host.HeadComplete());
    EXPECT_LT(cut.host.Body().size(), ExpectedConfigBody().size());
    EXPECT_EQ(cut.host.EmptyReads(), UsbHostReader::kEmptyReadLimit);
}

TEST_F(FakeUsbDeviceIoTest, AnswersTheDeviceIdentificationQuery)
{
    UniqueDeviceHandle handle = Open(GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_TRUE(handle);
    char buffer[1024] = {};
    DWORD returned = 0;
    ASSERT_TRUE(DeviceIo().DeviceIoControl(handle.get(), NGWinApi::kIoctlParQueryDeviceId, buffer, 1020, buffer, 1020,
                                           &returned, nullptr));
    EXPECT_EQ(std::string(buffer, returned), device->DeviceId() + '\0');
    wchar_t text[512] = {};
    ASSERT_GT(::MultiByteToWideChar(CP_ACP, 0, buffer, static_cast<int>(returned), text, 511), 0);
    EXPECT_EQ(std::wstring(text).substr(0, 9), L"MFG:Kelo;");

    EXPECT_FALSE(DeviceIo().DeviceIoControl(handle.get(), NGWinApi::kIoctlParQueryDeviceId, buffer, 16, buffer, 16,
                                            &returned, nullptr));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(returned, 0u);
    EXPECT_FALSE(DeviceIo().DeviceIoControl(handle.get(), 0x160030, nullptr, 0, buffer, 1020, &returned, nullptr));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
}

struct SharingCase {
    const char* what;
    DWORD firstAccess, firstShare, secondAccess, secondShare;
    bool secondOpens;
};

TEST_F(FakeUsbDeviceIoTest, OpensFollowTheSharingRules)
{
    constexpr DWORD rw = GENERIC_READ | GENERIC_WRITE;
    constexpr DWORD shareBoth = FILE_SHARE_READ | FILE_SHARE_WRITE;
    const SharingCase cases[] = {
        {"two status reads at once", rw, 0, rw, 0, false},
        {"a status read during a print job", GENERIC_WRITE, FILE_SHARE_READ, rw, 0, false},
        {"two shared channels", rw, shareBoth, rw, shareBoth, true},
        {"a reader beside a print job", GENERIC_WRITE, FILE_SHARE_READ, GENERIC_READ, shareBoth, true},
        {"a writer beside a reader that shares only reading", GENERIC_READ, FILE_SHARE_READ, GENERIC_WRITE, shareBoth,
         false},
    };
    for (const SharingCase& c : cases) {
        SCOPED_TRACE(c.what);
        UniqueDeviceHandle first = Open(c.firstAccess, c.firstShare);
        ASSERT_TRUE(first);
        ::SetLastError(0);
        UniqueDeviceHandle second = Open(c.secondAccess, c.secondShare);
        EXPECT_EQ(second.valid(), c.secondOpens);
        if (!c.secondOpens) {
            EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        }
    }
    EXPECT_EQ(fake.OpenHandles(), 0u);

    const std::wstring neverPlugged = L"\\\\?\\USB#VID_0A7E&PID_9999#X#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
    EXPECT_EQ(DeviceIo().CreateFileW(neverPlugged.c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FakeUsbDeviceIoTest, APendingReadCompletesThroughTheCallersEvent)
{
    UniqueDeviceHandle handle = Open(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     FILE_FLAG_OVERLAPPED);
    EventOverlapped readOverlapped;
    char block[kReadBlock];
    ASSERT_FALSE(DeviceIo().ReadFile(handle.get(), block, kReadBlock, nullptr, &readOverlapped.overlapped));
    ASSERT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
    EXPECT_EQ(readOverlapped.Wait(50), static_cast<DWORD>(WAIT_TIMEOUT));
    DWORD read = 0;
    EXPECT_FALSE(DeviceIo().GetOverlappedResult(handle.get(), &readOverlapped.overlapped, &read, FALSE));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_IO_INCOMPLETE));

    const std::string request = "GET " + kConfigPath + " HTTP/1.1\r\nHOST: \r\n\r\n";
    EventOverlapped writeOverlapped;
    DWORD written = 0;
    ASSERT_TRUE(DeviceIo().WriteFile(handle.get(), request.data(), static_cast<DWORD>(request.size()), &written,
                                     &writeOverlapped.overlapped));
    EXPECT_EQ(written, request.size());
    EXPECT_EQ(writeOverlapped.Wait(0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(writeOverlapped.overlapped.InternalHigh, request.size());

    ASSERT_EQ(readOverlapped.Wait(5000), static_cast<DWORD>(WAIT_OBJECT_0));
    ASSERT_TRUE(DeviceIo().GetOverlappedResult(handle.get(), &readOverlapped.overlapped, &read, FALSE));
    EXPECT_TRUE(std::string(block, read).starts_with("HTTP/1.1 200 OK\r\n"));
}

TEST_F(FakeUsbDeviceIoTest, ASilentPrinterLeavesReadsPendingUntilCancelOrClose)
{
    Fault("silence");
    const std::string request = "GET " + kConfigPath + " HTTP/1.1\r\nHOST: \r\n\r\n";
    UniqueDeviceHandle handle = Open(GENERIC_READ | GENERIC_WRITE, 0, FILE_FLAG_OVERLAPPED);
    EventOverlapped overlapped;
    DWORD written = 0;
    ASSERT_TRUE(DeviceIo().WriteFile(handle.get(), request.data(), static_cast<DWORD>(request.size()), &written,
                                     &overlapped.overlapped));
    char block[kReadBlock];
    DWORD read = 0;
    for (bool close : {false, true}) {
        SCOPED_TRACE(close ? "close" : "cancel");
        ASSERT_FALSE(DeviceIo().ReadFile(handle.get(), block, kReadBlock, nullptr, &overlapped.overlapped));
        ASSERT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
        EXPECT_EQ(overlapped.Wait(100), static_cast<DWORD>(WAIT_TIMEOUT));
        HANDLE value = handle.get();
        if (close)
            handle.reset();
        else
            EXPECT_TRUE(DeviceIo().CancelIo(value));
        EXPECT_EQ(overlapped.Wait(1000), static_cast<DWORD>(WAIT_OBJECT_0));
        EXPECT_FALSE(DeviceIo().GetOverlappedResult(value, &overlapped.overlapped, &read, TRUE));
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
    }

    // Without the overlapped flag the read ends as the driver's time-out does: no byte.
    UniqueDeviceHandle blocking = Open(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    read = 99;
    EXPECT_TRUE(DeviceIo().ReadFile(blocking.get(), block, kReadBlock, &read, nullptr));
    EXPECT_EQ(read, 0u);
}

TEST_F(FakeUsbDeviceIoTest, UnpluggingFailsTheOpenHandlesLikeARemovedDevice)
{
    UniqueDeviceHandle handle = Open(GENERIC_READ | GENERIC_WRITE, 0, FILE_FLAG_OVERLAPPED);
    EventOverlapped overlapped;
    char block[kReadBlock];
    ASSERT_FALSE(DeviceIo().ReadFile(handle.get(), block, kReadBlock, nullptr, &overlapped.overlapped));

    fake.Unplug(path);
    EXPECT_EQ(overlapped.Wait(1000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD count = 0;
    EXPECT_FALSE(DeviceIo().GetOverlappedResult(handle.get(), &overlapped.overlapped, &count, FALSE));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
    EXPECT_FALSE(DeviceIo().WriteFile(handle.get(), "x", 1, &count, &overlapped.overlapped));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
    EXPECT_EQ(DeviceIo().GetFileSize(handle.get(), nullptr), INVALID_FILE_SIZE);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
    EXPECT_FALSE(DeviceIo().DeviceIoControl(handle.get(), NGWinApi::kIoctlParQueryDeviceId, block, 1020, block, 1020,
                                            &count, nullptr));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
    EXPECT_FALSE(Open(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(DeviceIo().CloseHandle(handle.release()));
    EXPECT_EQ(fake.OpenHandles(), 0u);

    EXPECT_EQ(fake.Plug(printer), path); // plugged in again, it opens as before
    EXPECT_TRUE(Open(GENERIC_READ | GENERIC_WRITE, 0));
}

TEST_F(FakeUsbDeviceIoTest, PrintDataIsRecordedAsOneJobPerOpen)
{
    const std::string exitBlock = std::string(600, '\0') + "\x1b" "E\x1b%-12345X";
    const std::string command = "\x1b%Pds2.set_nvm_reset_bits 0x4ec;\nudw.quit;";
    EventOverlapped overlapped;
    for (const std::string* blockToSend : {&exitBlock, &command, &exitBlock}) {
        UniqueDeviceHandle handle = Open(GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_FLAG_OVERLAPPED);
        DWORD written = 0;
        ::SetLastError(0);
        ASSERT_TRUE(DeviceIo().WriteFile(handle.get(), blockToSend->data(), static_cast<DWORD>(blockToSend->size()),
                                         &written, &overlapped.overlapped));
        EXPECT_EQ(written, blockToSend->size());
        EXPECT_EQ(overlapped.Wait(0), static_cast<DWORD>(WAIT_OBJECT_0));
    }
    EXPECT_EQ(Printed(), exitBlock + command + exitBlock);
    EXPECT_EQ(device->Received().printJobs, 3);

    UniqueDeviceHandle handle = Open(GENERIC_WRITE, FILE_SHARE_READ, FILE_FLAG_OVERLAPPED);
    DWORD written = 0;
    ASSERT_TRUE(DeviceIo().WriteFile(handle.get(), "page 1", 6, &written, &overlapped.overlapped));
    ASSERT_TRUE(DeviceIo().WriteFile(handle.get(), "page 2", 6, &written, &overlapped.overlapped));
    EXPECT_EQ(device->Received().printJobs, 4);
}

TEST_F(FakeUsbDeviceIoTest, AStalledPrintWriteStaysPendingUntilThePrinterTakesIt)
{
    Fault("stall");
    const std::string job(5000, 'P');
    UniqueDeviceHandle handle = Open(GENERIC_WRITE, FILE_SHARE_READ, FILE_FLAG_OVERLAPPED);
    EventOverlapped overlapped;
    DWORD written = 0;
    ASSERT_FALSE(DeviceIo().WriteFile(handle.get(), job.data(), static_cast<DWORD>(job.size()), &written, &overlapped.overlapped));
    ASSERT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
    EXPECT_EQ(overlapped.Wait(200), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(Printed().empty());
    // The status read the print test makes while it waits finds the device busy.
    EXPECT_FALSE(Open(GENERIC_READ | GENERIC_WRITE, 0));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));

    Fault("");
    ASSERT_EQ(overlapped.Wait(5000), static_cast<DWORD>(WAIT_OBJECT_0));
    ASSERT_TRUE(DeviceIo().GetOverlappedResult(handle.get(), &overlapped.overlapped, &written, FALSE));
    EXPECT_EQ(written, job.size());
    EXPECT_EQ(Printed(), job);

    // Without the overlapped flag a stalled write gives up with the driver's time-out.
    Fault("stall");
    handle.reset();
    UniqueDeviceHandle blocking = Open(GENERIC_WRITE, FILE_SHARE_READ);
    ASSERT_TRUE(blocking);
    EXPECT_FALSE(DeviceIo().WriteFile(blocking.get(), job.data(), static_cast<DWORD>(job.size()), &written, nullptr));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SEM_TIMEOUT));
    EXPECT_EQ(written, 0u);
}

TEST_F(FakeUsbDeviceIoTest, OrdinaryFilesReachTheSystem)
{
    TestFolder folder;
    const std::wstring file = folder.File(L"ProductConfigDyn.xml");
    {
        UniqueDeviceHandle out(DeviceIo().CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(out);
        DWORD written = 0;
        ASSERT_TRUE(DeviceIo().WriteFile(out.get(), "<doc/>", 6, &written, nullptr));
        EXPECT_EQ(DeviceIo().GetFileSize(out.get(), nullptr), 6u);
    }
    EXPECT_EQ(ReadWholeFile(file), "<doc/>");

    UniqueDeviceHandle in(DeviceIo().CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                 FILE_FLAG_OVERLAPPED, nullptr));
    ASSERT_TRUE(in);
    EventOverlapped overlapped;
    char block[16] = {};
    if (!DeviceIo().ReadFile(in.get(), block, sizeof(block), nullptr, &overlapped.overlapped)) {
        ASSERT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
    }
    DWORD read = 0;
    ASSERT_TRUE(DeviceIo().GetOverlappedResult(in.get(), &overlapped.overlapped, &read, TRUE));
    EXPECT_EQ(std::string(block, read), "<doc/>");
    EXPECT_EQ(fake.OpenHandles(), 0u);
}

struct FetchJob {
    std::wstring path;
    Fetch fetch;
};

DWORD WINAPI FetchOnWorker(LPVOID parameter)
{
    auto* job = static_cast<FetchJob*>(parameter);
    job->fetch = FetchOverUsb(job->path, kConfigPath);
    return 0;
}

TEST_F(FakeUsbDeviceIoTest, WorkerThreadsFetchFromTwoPrintersAtOnce)
{
    const sim::PrinterConfig secondConfig = UsbConfig("2312", "CN4A7K2ABC");
    auto second = std::make_shared<sim::SimDevice>(secondConfig);
    FetchJob jobs[] = {{path, {}}, {fake.Plug(std::make_shared<sim::UsbPrinter>(second)), {}}};
    Fault("chunked read-size=64");
    Fault("read-size=100 empty-reads=2", *second);
    ASSERT_EQ(FindInterfaces(sim::kUsbSetupClassGuid, kPrinterId).size(), 2u);

    UniqueHandle threads[2];
    for (int i = 0; i < 2; ++i) {
        threads[i].reset(Kernel().CreateThread(nullptr, 0, FetchOnWorker, &jobs[i], 0, nullptr));
        ASSERT_TRUE(threads[i]);
    }
    HANDLE waitSet[] = {threads[0].get(), threads[1].get()};
    ASSERT_EQ(Kernel().WaitForMultipleObjects(2, waitSet, TRUE, 30000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(jobs[0].fetch.host.Body(), ExpectedConfigBody());
    EXPECT_EQ(jobs[1].fetch.host.Body(), ExpectedConfigBody(secondConfig));
    EXPECT_NE(jobs[0].fetch.host.Body(), jobs[1].fetch.host.Body());
    for (const FetchJob& job : jobs)
        EXPECT_EQ(job.fetch.host.Misaligned(), 0);
    EXPECT_EQ(jobs[0].fetch.host.ContentLength(), -1);
    EXPECT_GT(jobs[1].fetch.host.EmptyReads(), 0);
}

} // namespace
