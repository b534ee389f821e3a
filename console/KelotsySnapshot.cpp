#include "console/KelotsySnapshot.h"

#include <array>
#include <optional>

#include "app/engine/DeviceOperations.h"
#include "app/engine/StatusMessageKeys.h"
#include "console/KelotsyArguments.h"
#include "discovery/NetworkSearch.h"
#include "support/LogFile.h"
#include "support/XMLHandler.h"

namespace {

using Reach = PrinterSnapshot::Reach;

// The probes end within 3 s of their time-out setting's ceiling; this only guards a component
// that never reports completion.
constexpr ULONGLONG kIdentifyBoundMs = 60000;

constexpr std::array<const wchar_t*, 9> kColourKeys = {
    L"TSY_COLOR_BLACK",       L"TSY_COLOR_CYAN",       L"TSY_COLOR_MAGENTA",
    L"TSY_COLOR_YELLOW",      L"TSY_COLOR_PHOTO_BLACK", L"TSY_COLOR_TRICOLOR",
    L"TSY_COLOR_LIGHT_CYAN",  L"TSY_COLOR_LIGHT_MAGENTA", L"TSY_COLOR_LIGHT_GRAY",
};

bool SameTextIgnoringCase(const std::wstring& a, const std::wstring& b)
{
    return a.size() == b.size() && ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                                          static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

int32_t IndexOf(const DeviceList& devices, const std::wstring& printer)
{
    bool digits = !printer.empty() && printer.size() < 6;
    for (wchar_t c : printer)
        digits = digits && c >= L'0' && c <= L'9';
    if (digits) {
        const size_t index = std::stoul(printer);
        return index < devices.size() ? static_cast<int32_t>(index) : -1;
    }
    for (size_t i = 0; i < devices.size(); ++i)
        if (SameTextIgnoringCase(devices[i].address, printer))
            return static_cast<int32_t>(i);
    return -1;
}

// The printer at `address` as the network search would list it; nothing when no probe found one.
std::optional<Device_Dev> Identify(const std::wstring& address)
{
    bool completed = false;
    CNetworkSearch search(nullptr, [&] { completed = true; });
    if (search.StartOn(address) != SearchStart::Started || !PumpMessagesUntil(completed, kIdentifyBoundMs))
        return std::nullopt;
    const std::optional<std::vector<FoundPrinter>> found = search.Results();
    if (!found)
        return std::nullopt;
    for (const Device_Dev& device : SearchResultRecords(*found))
        if (SameTextIgnoringCase(device.address, address))
            return device;
    return std::nullopt;
}

// The colour's stable id: the key whose text in the loaded language is the name, else the name.
std::string ColourIdOf(const std::wstring& name)
{
    for (const wchar_t* key : kColourKeys)
        if (StringTable().GetString(key) == name)
            return ColourId(key);
    return ColourId(name);
}

std::optional<Reach> FaultReach(CDeviceAccessManager& access)
{
    switch (access.LastFault()) {
    case DeviceFault::NotAnswering:
        return Reach::NotAnswering;
    case DeviceFault::UnexpectedAnswer:
        return Reach::UnexpectedAnswer;
    case DeviceFault::None:
        break;
    }
    return std::nullopt;
}

} // namespace

std::wstring PrinterDisplayName(const Device_Dev& device)
{
    return device.friendlyName.empty() ? device.deviceName : device.friendlyName;
}

bool PumpMessagesUntil(const bool& done, ULONGLONG boundMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + boundMs;
    while (!done) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&message);
    }
    return true;
}

PrinterLookup SelectPrinter(CDiagnosticMgr& manager, const std::wstring& printer)
{
    int32_t index = IndexOf(manager.Devices(), printer);
    if (index < 0) {
        if (!ParseIpv4Text(printer))
            return PrinterLookup::Unknown;
        const std::optional<Device_Dev> found = Identify(printer);
        if (!found) {
            LogFile().Write(L"kelotsy: %s answered no probe", printer.c_str());
            return PrinterLookup::NotAnswering;
        }
        DeviceList devices = manager.Devices();
        devices.push_back(*found);
        manager.ReplaceDevices(devices);
        index = static_cast<int32_t>(devices.size() - 1);
    }
    manager.SetSelectedIndex(index);
    return PrinterLookup::Selected;
}

PrinterSnapshot TakeSnapshot(CDiagnosticMgr& manager, const std::wstring& printer)
{
    PrinterSnapshot snapshot;
    snapshot.printer = printer;
    switch (SelectPrinter(manager, printer)) {
    case PrinterLookup::Unknown:
        snapshot.reach = Reach::UnknownPrinter;
        return snapshot;
    case PrinterLookup::NotAnswering:
        snapshot.address = printer;
        snapshot.reach = Reach::NotAnswering;
        return snapshot;
    case PrinterLookup::Selected:
        break;
    }
    snapshot.address = manager.Selected()->address;
    snapshot.model = PrinterDisplayName(*manager.Selected());
    if (!manager.VerifySelectedPrinter()) {
        snapshot.reach = Reach::NotSupported;
        return snapshot;
    }
    CDeviceAccessManager& access = manager.ManagerFor(DeviceOperationPath(*manager.Selected()));

    // The ink levels first: the read that tells at once whether the printer answers at all.
    ResetAllDeviceData(manager);
    RunDeviceOperation(manager, DeviceOperation::ReadInkLevels);
    if (const std::optional<Reach> fault = FaultReach(access)) {
        snapshot.reach = *fault;
        return snapshot;
    }
    for (const InkInfo& ink : access.Records().inkList)
        snapshot.inks.push_back({ColourIdOf(ink.colour), ink.colour, InkLevelPercent(ink.level)});

    access.SetLastFault(DeviceFault::None);
    manager.SetCurrentTestIndex(kDeviceStatusTestIndex);
    manager.RunCurrentTest();
    if (const std::optional<Reach> fault = FaultReach(access)) {
        snapshot.reach = *fault;
        return snapshot;
    }
    const Device_Dev device = *manager.Selected();
    snapshot.statusRead = true;
    snapshot.statusPassed = manager.TestAt(kDeviceStatusTestIndex)->result == kTestPassed;
    snapshot.statusCode = device.statusCode;
    snapshot.adf = device.adfStatus;
    snapshot.statusText = StringTable().GetString(StatusMessageKey(device.statusCode, device.adfStatus).c_str());

    RunDeviceOperation(manager, DeviceOperation::ReadDeviceInfo);
    const DeviceInfo info = access.Records().deviceInfo;
    if (!info.modelBaseName.empty() && info.modelBaseName != NotAvailableText())
        snapshot.model = info.modelBaseName;
    else if (!info.modelName.empty() && info.modelName != NotAvailableText())
        snapshot.model = info.modelName;
    snapshot.serialNumber = info.serialNumber == NotAvailableText() ? L"" : info.serialNumber;
    snapshot.firmware = info.firmwareRevision == NotAvailableText() ? L"" : info.firmwareRevision;
    snapshot.pageCount = info.totalImpressions;
    snapshot.reach = Reach::Answered;
    return snapshot;
}
