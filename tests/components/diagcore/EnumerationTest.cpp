// Attached and installed printers: the real Wine spooler holding the queues of
// search.scenario (installed by scripts/install-printers --with-usb before this program
// starts, as a ctest fixture), and simulated USB printers behind the component's SetupAPI
// wrapper.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>

#include "CoreTestSupport.h"
#include "discovery/DeviceEnumeration.h"
#include "sim/FakeUsbDeviceIo.h"

using NGWinApi::ComPtr;

namespace {

constexpr wchar_t kSableQueue[] = L"Kelo Workline 4420 Series (127.0.5.10)";
constexpr wchar_t kUsbQueue[] = L"Kelo Homeline 2150 Series (USB001)";
constexpr wchar_t kUsbDriver[] = L"Kelo Homeline 2150 Series";
constexpr wchar_t kDeviceClasses[] =
    L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{28d78fad-5a12-11d1-ae5b-0000f803a8c2}\\";

std::shared_ptr<sim::UsbPrinter> UsbPrinter(const std::string& productId, const std::string& model,
                                            const std::string& serial)
{
    sim::PrinterConfig config = sim::DefaultPrinter("usb-" + productId);
    config.usb = true;
    config.productId = productId;
    config.model = model;
    config.serial = serial;
    return std::make_shared<sim::UsbPrinter>(std::make_shared<sim::SimDevice>(config));
}

// The USB port monitor's record of the port it made for an interface, removed afterwards.
class PortRecord {
public:
    PortRecord(const std::wstring& interfacePath, DWORD portNumber)
    {
        std::wstring name = interfacePath;
        name.replace(0, 4, L"##?#");
        key_ = kDeviceClasses + name;
        HKEY parameters = nullptr;
        EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (key_ + L"\\#\\Device Parameters").c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &parameters, nullptr),
                  ERROR_SUCCESS);
        const wchar_t base[] = L"USB";
        RegSetValueExW(parameters, L"Port Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&portNumber),
                       sizeof(portNumber));
        RegSetValueExW(parameters, L"Base Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(base), sizeof(base));
        RegCloseKey(parameters);
    }
    ~PortRecord() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, key_.c_str()); }
    PortRecord(const PortRecord&) = delete;
    PortRecord& operator=(const PortRecord&) = delete;

private:
    std::wstring key_;
};

class CoreEnumeration : public ::testing::Test {
protected:
    void SetUp() override
    {
        enumerator_ = CreateCore<IDeviceEnumerator>(CLSID_DeviceEnumerator);
        ASSERT_TRUE(enumerator_);
    }

    std::vector<DeviceView> Installed(long selection = 1)
    {
        ComPtr<IDeviceCollection> devices;
        EXPECT_EQ(enumerator_->GetInstalledDevices(selection, devices.put()), S_OK);
        return devices ? ReadDevices(devices.get()) : std::vector<DeviceView>{};
    }

    std::vector<DeviceView> Usb(long selection = 1)
    {
        ComPtr<IDeviceCollection> devices;
        EXPECT_EQ(enumerator_->GetConnectedUSBDevices(selection, devices.put()), S_OK);
        return devices ? ReadDevices(devices.get()) : std::vector<DeviceView>{};
    }

    NGWinApi::ComInitialization com_;
    ComPtr<IDeviceEnumerator> enumerator_;
};

} // namespace

TEST_F(CoreEnumeration, InstalledQueuesFromTheSpoolerWithTheirAddresses)
{
    auto installed = Installed();
    const DeviceView* sable = FindDevice(installed, &DeviceView::printerName, kSableQueue);
    ASSERT_NE(sable, nullptr) << "is the diagcore_printers fixture installed?";
    EXPECT_EQ(sable->connectionType, 2);
    EXPECT_EQ(sable->ipAddress, L"127.0.5.10");
    EXPECT_EQ(sable->portName, L"IP_127.0.5.10");
    EXPECT_EQ(sable->name, L"Kelo Workline 4420 Series") << "named by its driver, as the catalogue's install names";
    EXPECT_EQ(sable->driverName, L"Kelo Workline 4420 Series");
    EXPECT_EQ(sable->friendlyName, kSableQueue);
    EXPECT_EQ(sable->driverInstalled, VARIANT_TRUE);
    EXPECT_EQ(sable->devicePath, L"");
    EXPECT_EQ(sable->flags & 0x14, 0x14) << "a queue, and the maker's";

    // Every network printer of the scenario, each once, in the spooler's order.
    for (const wchar_t* address : {L"127.0.5.10", L"127.0.5.11", L"127.0.5.12", L"127.0.5.13", L"127.0.5.40"}) {
        auto count = std::count_if(installed.begin(), installed.end(),
                                   [&](const DeviceView& device) { return device.ipAddress == address; });
        EXPECT_EQ(count, 1) << address;
    }
    const DeviceView* usb = FindDevice(installed, &DeviceView::printerName, kUsbQueue);
    ASSERT_NE(usb, nullptr);
    EXPECT_EQ(usb->connectionType, 1);
    EXPECT_EQ(usb->ipAddress, L"");
    EXPECT_EQ(usb->productId, L"") << "no such printer is plugged in";

    // The maker's selection keeps them; it only drops queues of other makers.
    auto maker = Installed(2);
    EXPECT_NE(FindDevice(maker, &DeviceView::printerName, kSableQueue), nullptr);
    for (const DeviceView& device : maker)
        EXPECT_NE(device.flags & 0x10, 0) << device.printerName;
}

TEST_F(CoreEnumeration, UsbPrintersWithTheQueueTheirPortMonitorRecordNames)
{
    sim::FakeUsbDeviceIo fake;
    ComponentDeviceIo plugged(fake);
    EXPECT_TRUE(Usb().empty()) << "no USB printer on this machine";

    std::wstring bound = fake.Plug(UsbPrinter("2112", "Kelo Homeline 2150 All-in-One", "CN2112T01U"));
    PortRecord record(bound, 1);
    std::wstring unbound = fake.Plug(UsbPrinter("7e11", "Kelo Workline 6700 All-in-One", "CN7E11T02U"));

    auto usb = Usb();
    ASSERT_EQ(usb.size(), 2u);
    const DeviceView* first = FindDevice(usb, &DeviceView::devicePath, bound);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->connectionType, 1);
    EXPECT_EQ(first->productId, L"2112");
    EXPECT_EQ(first->hardwareId, L"VID_0A7E&PID_2112");
    EXPECT_EQ(first->name, L"Kelo Homeline 2150 All-in-One") << "the model from the IEEE 1284 identification";
    EXPECT_EQ(first->manufacturer, L"Kelo");
    EXPECT_EQ(first->serialNumber, L"CN2112T01U");
    EXPECT_EQ(first->printerName, kUsbQueue);
    EXPECT_EQ(first->friendlyName, kUsbQueue);
    EXPECT_EQ(first->portName, L"USB001");
    EXPECT_EQ(first->driverInstalled, VARIANT_TRUE);
    EXPECT_EQ(first->flags, 0x14);

    const DeviceView* second = FindDevice(usb, &DeviceView::devicePath, unbound);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->productId, L"7E11");
    EXPECT_EQ(second->printerName, L"") << "no queue for this model";
    EXPECT_EQ(second->friendlyName, L"Kelo Workline 6700 All-in-One");
    EXPECT_EQ(second->driverInstalled, VARIANT_FALSE);
    EXPECT_EQ(second->flags, 0x10);

    // The installed queue now knows its printer.
    auto installed = Installed();
    const DeviceView* queue = FindDevice(installed, &DeviceView::printerName, kUsbQueue);
    ASSERT_NE(queue, nullptr);
    EXPECT_EQ(queue->devicePath, bound);
    EXPECT_EQ(queue->productId, L"2112");
    EXPECT_EQ(queue->hardwareId, L"VID_0A7E&PID_2112");

    fake.Unplug(bound);
    fake.Unplug(unbound);
    EXPECT_TRUE(Usb().empty());
}

TEST_F(CoreEnumeration, WithoutAPortRecordTheQueueIsFoundByItsDriversModel)
{
    sim::FakeUsbDeviceIo fake;
    ComponentDeviceIo plugged(fake);
    std::wstring path = fake.Plug(UsbPrinter("2112", "Kelo Homeline 2150 All-in-One", "CN2112T09U"));
    std::wstring other = fake.Plug(UsbPrinter("2113", "Kelo Homeline 21500", "CN2113T09U"));

    auto usb = Usb();
    const DeviceView* printer = FindDevice(usb, &DeviceView::devicePath, path);
    ASSERT_NE(printer, nullptr);
    EXPECT_EQ(printer->printerName, kUsbQueue);
    EXPECT_EQ(printer->driverName, kUsbDriver);
    const DeviceView* notQuite = FindDevice(usb, &DeviceView::devicePath, other);
    ASSERT_NE(notQuite, nullptr);
    EXPECT_EQ(notQuite->printerName, L"") << "a longer model number is another model";
}

TEST_F(CoreEnumeration, PrintersThatDoNotAnswerTheirIdentificationAreStillListed)
{
    sim::FakeUsbDeviceIo fake;
    ComponentDeviceIo plugged(fake);
    std::wstring path = fake.Plug(UsbPrinter("1812", "Kelo Homeline 1812", "CN1812T01U"));
    // Someone holds the printer exclusively: the identification cannot be read.
    HANDLE held = fake.CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    auto usb = Usb();
    ASSERT_EQ(usb.size(), 1u);
    EXPECT_EQ(usb[0].productId, L"1812");
    EXPECT_EQ(usb[0].hardwareId, L"VID_0A7E&PID_1812");
    EXPECT_EQ(usb[0].name, L"") << "the tool then names it by its friendly name";
    EXPECT_EQ(usb[0].friendlyName, L"VID_0A7E&PID_1812");
    EXPECT_EQ(usb[0].serialNumber, L"CN1812T01U") << "from the interface path";
    fake.CloseHandle(held);
    fake.Unplug(path);
}

// The tool's own enumeration over the real component: the attached printer with a queue
// first, then the installed network printers with their addresses.
TEST(ToolEnumeration, ListsAttachedThenInstalledNetworkPrinters)
{
    NGWinApi::ComInitialization com;
    // Loaded first, so the simulated printers can be handed to the component.
    ComPtr<IDeviceEnumerator> loaded = CreateCore<IDeviceEnumerator>(CLSID_DeviceEnumerator);
    ASSERT_TRUE(loaded);
    sim::FakeUsbDeviceIo fake;
    ComponentDeviceIo plugged(fake);
    std::wstring path = fake.Plug(UsbPrinter("2112", "Kelo Homeline 2150 All-in-One", "CN2112T09U"));
    PortRecord record(path, 1);

    DeviceList devices;
    ASSERT_TRUE(EnumeratePrinters(devices));
    ASSERT_FALSE(devices.empty());
    EXPECT_EQ(devices[0].address, path);
    EXPECT_EQ(devices[0].printerName, kUsbQueue);
    EXPECT_EQ(devices[0].hardwareId, L"VID_0A7E&PID_2112");
    EXPECT_FALSE(devices[0].isNetwork);

    auto sable = std::find_if(devices.begin(), devices.end(),
                              [](const Device_Dev& device) { return device.printerName == kSableQueue; });
    ASSERT_NE(sable, devices.end());
    EXPECT_TRUE(sable->isNetwork);
    EXPECT_EQ(sable->address, L"127.0.5.10");
    EXPECT_EQ(sable->deviceName, L"Kelo Workline 4420 Series");
    EXPECT_EQ(sable->hardwareId, L"");
    EXPECT_EQ(sable->statusCode, -1);
    for (size_t i = 1; i < devices.size(); ++i)
        EXPECT_TRUE(devices[i].isNetwork) << "after the attached printers come only network printers";
}
