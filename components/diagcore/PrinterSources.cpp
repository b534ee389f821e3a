#include "components/diagcore/PrinterSources.h"

#include <winspool.h>

#include <algorithm>
#include <vector>

#include "components/diagcore/CoreSupport.h"
#include "components/diagcore/ProbeMessages.h"
#include "discovery/DeviceIdStatus.h"
#include "winapi/DeviceIoApi.h"
#include "winapi/Handles.h"

namespace diagcore {

namespace {

// The USB printing device interface class.
constexpr GUID kUsbPrintInterface = {0x28d78fad, 0x5a12, 0x11d1, {0xae, 0x5b, 0x00, 0x00, 0xf8, 0x03, 0xa8, 0xc2}};
// The USB setup class, searched as an interface class where the printing class lists nothing.
constexpr GUID kUsbSetupClass = {0x36fc9e60, 0xc465, 0x11cf, {0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr wchar_t kUsbPrintInterfaceText[] = L"{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

constexpr DWORD kIdentificationTimeoutMs = 2000;
constexpr DWORD kIdentificationBuffer = 2048;

constexpr wchar_t kDeviceClassesKey[] = L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\";
constexpr wchar_t kTcpMonitorPortsKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\";

// Calls a spooler enumeration twice: for the size, then for the data.
template <class Enumerate>
bool EnumerateInto(std::vector<BYTE>& buffer, DWORD& count, Enumerate enumerate)
{
    DWORD needed = 0;
    count = 0;
    if (enumerate(nullptr, 0, &needed, &count))
        return true;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return false;
        buffer.assign(needed, 0);
        if (enumerate(buffer.data(), needed, &needed, &count))
            return true;
    }
    return false;
}

std::wstring Text(const wchar_t* text)
{
    return text != nullptr ? std::wstring(text) : std::wstring();
}

// The ports of a queue's port list.
std::vector<std::wstring> PortsOf(const SpoolerQueue& queue)
{
    std::vector<std::wstring> ports;
    size_t at = 0;
    while (at <= queue.port.size()) {
        size_t comma = queue.port.find(L',', at);
        std::wstring port = queue.port.substr(at, comma == std::wstring::npos ? std::wstring::npos : comma - at);
        port.erase(0, port.find_first_not_of(L' '));
        port.erase(port.find_last_not_of(L' ') + 1);
        if (!port.empty())
            ports.push_back(port);
        if (comma == std::wstring::npos)
            break;
        at = comma + 1;
    }
    return ports;
}

bool IsUsbPort(const std::wstring& port)
{
    return port.size() > 3 && EqualsNoCase(std::wstring_view(port).substr(0, 3), L"USB");
}

bool DriverInstalled(const SpoolerState& spooler, const std::wstring& driver)
{
    if (driver.empty())
        return false;
    if (!spooler.driversKnown)
        return true; // a queue cannot exist without its driver
    return std::any_of(spooler.drivers.begin(), spooler.drivers.end(),
                       [&](const std::wstring& name) { return EqualsNoCase(name, driver); });
}

const SpoolerQueue* QueueOnPort(const SpoolerState& spooler, const std::wstring& port)
{
    for (const SpoolerQueue& queue : spooler.queues)
        for (const std::wstring& queuePort : PortsOf(queue))
            if (EqualsNoCase(queuePort, port))
                return &queue;
    return nullptr;
}

// Whether a driver named like "Kelo Homeline 2150 Series" is the driver of the model
// "Kelo Homeline 2150 All-in-One": the model starts with the driver's name up to " Series",
// followed by the model's end or a blank.
bool ModelOfDriver(std::wstring_view model, std::wstring_view driver)
{
    constexpr std::wstring_view kSeries = L" series";
    if (driver.size() > kSeries.size() && EqualsNoCase(driver.substr(driver.size() - kSeries.size()), kSeries))
        driver.remove_suffix(kSeries.size());
    if (driver.size() < 4 || model.size() < driver.size() || !EqualsNoCase(model.substr(0, driver.size()), driver))
        return false;
    return model.size() == driver.size() || model[driver.size()] == L' ';
}

const SpoolerQueue* QueueFor(const UsbPrinter& printer, const SpoolerState& spooler)
{
    if (!printer.boundPort.empty())
        return QueueOnPort(spooler, printer.boundPort);
    if (printer.model.empty())
        return nullptr;
    for (const SpoolerQueue& queue : spooler.queues) {
        auto ports = PortsOf(queue);
        if (std::none_of(ports.begin(), ports.end(), IsUsbPort))
            continue;
        if (ContainsNoCase(queue.name, printer.model) || ContainsNoCase(queue.driver, printer.model) ||
            ModelOfDriver(printer.model, queue.driver))
            return &queue;
    }
    return nullptr;
}

void TakeQueue(DeviceRecord& record, const SpoolerQueue& queue, const SpoolerState& spooler)
{
    record.printerName = queue.name;
    record.friendlyName = queue.name;
    record.driverName = queue.driver;
    record.portName = queue.port;
    record.driverInstalled = DriverInstalled(spooler, queue.driver);
    record.flags |= kFlagHasQueue;
}

// The IEEE 1284 identification the printer class driver answers for the interface; empty
// when the printer cannot be opened or does not answer in time.
std::string ReadIdentification(const std::wstring& path)
{
    auto& io = NGWinApi::DeviceIo();
    NGWinApi::UniqueDeviceHandle device(io.CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                                       FILE_FLAG_OVERLAPPED, nullptr));
    if (!device)
        return {};
    NGWinApi::UniqueHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event)
        return {};
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    std::vector<char> buffer(kIdentificationBuffer + 1, '\0');
    DWORD returned = 0;
    if (!io.DeviceIoControl(device.get(), NGWinApi::kIoctlParQueryDeviceId, nullptr, 0, buffer.data(),
                            kIdentificationBuffer, &returned, &overlapped)) {
        if (::GetLastError() != ERROR_IO_PENDING)
            return {};
        if (::WaitForSingleObject(event.get(), kIdentificationTimeoutMs) != WAIT_OBJECT_0) {
            io.CancelIo(device.get());
            io.GetOverlappedResult(device.get(), &overlapped, &returned, TRUE);
            return {};
        }
        if (!io.GetOverlappedResult(device.get(), &overlapped, &returned, FALSE))
            return {};
    }
    // Some drivers keep the two-byte big-endian length the printer sends in front.
    std::string identification(
        IdentificationBytes(std::string_view(buffer.data(), std::min<DWORD>(returned, kIdentificationBuffer))));
    return identification.substr(0, identification.find('\0'));
}

std::wstring BoundUsbPort(const std::wstring& path, const UsbInterfaceIdentity& identity)
{
    std::wstring interfaceClass = identity.interfaceClass.empty() ? kUsbPrintInterfaceText : identity.interfaceClass;
    RegistryKey parameters;
    if (!parameters.Open(HKEY_LOCAL_MACHINE, std::wstring(kDeviceClassesKey) + interfaceClass + L"\\" +
                                                 DeviceClassesKeyName(path) + L"\\#\\Device Parameters"))
        return {};
    auto number = parameters.Number(L"Port Number");
    if (!number)
        return {};
    return UsbPortName(parameters.Text(L"Base Name"), *number);
}

// Interface paths of one class; false when the class cannot be listed at all.
bool ListInterfacePaths(const GUID& interfaceClass, std::vector<std::wstring>& paths)
{
    auto& io = NGWinApi::DeviceIo();
    NGWinApi::UniqueDeviceInfoList set(
        io.SetupDiGetClassDevsW(&interfaceClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!set.valid())
        return false;
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof(data);
        if (!io.SetupDiEnumDeviceInterfaces(set.get(), nullptr, &interfaceClass, index, &data))
            break;
        DWORD required = 0;
        io.SetupDiGetDeviceInterfaceDetailW(set.get(), &data, nullptr, 0, &required, nullptr);
        if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) || required > 64 * 1024)
            continue;
        std::vector<BYTE> block(required + sizeof(wchar_t), 0);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(block.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (!io.SetupDiGetDeviceInterfaceDetailW(set.get(), &data, detail, required, nullptr, nullptr))
            continue;
        paths.emplace_back(detail->DevicePath);
    }
    return true;
}

} // namespace

bool ReadSpooler(SpoolerState& state)
{
    state = {};
    std::vector<BYTE> buffer;
    DWORD count = 0;
    if (!EnumerateInto(buffer, count, [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
            return ::EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, data, size, needed,
                                   returned) != FALSE;
        }))
        return false;
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        const PRINTER_INFO_2W& info = printers[i];
        state.queues.push_back({Text(info.pPrinterName), Text(info.pPortName), Text(info.pDriverName), info.Attributes});
    }
    std::vector<BYTE> drivers;
    DWORD driverCount = 0;
    state.driversKnown = EnumerateInto(drivers, driverCount, [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return ::EnumPrinterDriversW(nullptr, nullptr, 1, data, size, needed, returned) != FALSE;
    });
    if (state.driversKnown) {
        const auto* info = reinterpret_cast<const DRIVER_INFO_1W*>(drivers.data());
        for (DWORD i = 0; i < driverCount; ++i)
            state.drivers.push_back(Text(info[i].pName));
    }
    return true;
}

bool ReadUsbPrinters(std::vector<UsbPrinter>& printers)
{
    printers.clear();
    std::vector<std::wstring> printing;
    std::vector<std::wstring> usbClass;
    bool listed = ListInterfacePaths(kUsbPrintInterface, printing);
    listed = ListInterfacePaths(kUsbSetupClass, usbClass) || listed;
    // Every device of the USB class is listed there, printers or not: only the maker's count.
    for (const std::wstring& path : usbClass)
        if (ReadUsbInterfacePath(path).vendorId == kMakerVendorId)
            printing.push_back(path);
    for (const std::wstring& path : printing) {
        // A printer listed under both classes is one printer: its printing interface comes first.
        if (std::any_of(printers.begin(), printers.end(), [&](const UsbPrinter& seen) {
                return EqualsNoCase(UsbDeviceOfInterface(seen.path), UsbDeviceOfInterface(path));
            }))
            continue;
        UsbPrinter printer;
        printer.path = path;
        printer.identity = ReadUsbInterfacePath(path);
        std::wstring identification = WidenDeviceText(ReadIdentification(path));
        printer.model = GetIdField(L"MDL", identification);
        if (printer.model.empty())
            printer.model = GetIdField(L"MODEL", identification);
        printer.manufacturer = GetIdField(L"MFG", identification);
        if (printer.manufacturer.empty())
            printer.manufacturer = GetIdField(L"MANUFACTURER", identification);
        printer.serialNumber = GetIdField(L"SN", identification);
        if (printer.serialNumber.empty())
            printer.serialNumber = printer.identity.serialNumber;
        printer.boundPort = BoundUsbPort(path, printer.identity);
        printers.push_back(std::move(printer));
    }
    return listed;
}

std::optional<Ipv4> QueueAddress(const SpoolerQueue& queue)
{
    for (const std::wstring& port : PortsOf(queue)) {
        if (auto address = AddressFromPortName(port))
            return address;
        RegistryKey monitorPort;
        if (!monitorPort.Open(HKEY_LOCAL_MACHINE, kTcpMonitorPortsKey + port))
            continue;
        for (const wchar_t* value : {L"IPAddress", L"HostName"})
            if (auto address = ParseIpv4(std::wstring_view(monitorPort.Text(value))))
                return address;
    }
    return std::nullopt;
}

std::vector<DeviceRecord> UsbDeviceRecords(const std::vector<UsbPrinter>& printers, const SpoolerState& spooler)
{
    std::vector<DeviceRecord> records;
    for (const UsbPrinter& printer : printers) {
        DeviceRecord record;
        record.connectionType = kConnectionUsb;
        record.devicePath = printer.path;
        record.productId = printer.identity.productId;
        record.hardwareId = UsbHardwareId(printer.identity);
        record.name = printer.model;
        record.productName = printer.model;
        record.friendlyName = printer.model.empty() ? record.hardwareId : printer.model;
        record.manufacturer = printer.manufacturer;
        record.serialNumber = printer.serialNumber;
        if (printer.identity.vendorId == kMakerVendorId)
            record.flags |= kFlagMakerPrinter;
        if (const SpoolerQueue* queue = QueueFor(printer, spooler))
            TakeQueue(record, *queue, spooler);
        records.push_back(std::move(record));
    }
    return records;
}

std::vector<DeviceRecord> InstalledDeviceRecords(const SpoolerState& spooler, const std::vector<UsbPrinter>& usb)
{
    std::vector<DeviceRecord> records;
    for (const SpoolerQueue& queue : spooler.queues) {
        DeviceRecord record;
        record.name = queue.driver;
        TakeQueue(record, queue, spooler);
        auto ports = PortsOf(queue);
        if (auto address = QueueAddress(queue)) {
            record.connectionType = kConnectionNetwork;
            record.ipAddress = WidenDeviceText(FormatIpv4(*address));
        } else if (std::any_of(ports.begin(), ports.end(), IsUsbPort)) {
            record.connectionType = kConnectionUsb;
            for (const UsbPrinter& printer : usb) {
                if (QueueFor(printer, spooler) != &queue)
                    continue;
                record.devicePath = printer.path;
                record.productId = printer.identity.productId;
                record.hardwareId = UsbHardwareId(printer.identity);
                record.productName = printer.model;
                record.manufacturer = printer.manufacturer;
                record.serialNumber = printer.serialNumber;
                if (printer.identity.vendorId == kMakerVendorId)
                    record.flags |= kFlagMakerPrinter;
                break;
            }
        }
        // Without a device to ask, the maker's queues are known by their names.
        if (ContainsNoCase(queue.driver, L"Kelo") || ContainsNoCase(queue.name, L"Kelo"))
            record.flags |= kFlagMakerPrinter;
        records.push_back(std::move(record));
    }
    return records;
}

void BindNetworkQueues(std::vector<DeviceRecord>& found, const SpoolerState& spooler)
{
    for (DeviceRecord& record : found) {
        auto address = ParseIpv4(std::wstring_view(record.ipAddress));
        if (!address)
            continue;
        for (const SpoolerQueue& queue : spooler.queues) {
            if (QueueAddress(queue) != address)
                continue;
            TakeQueue(record, queue, spooler);
            break;
        }
    }
}

} // namespace diagcore
