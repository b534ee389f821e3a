#include "discovery/DeviceEnumeration.h"

#include <windows.h>

#include "KeloDiagnosticCore.h"
#include "support/LogFile.h"
#include "winapi/Handles.h"

using namespace NGWinApi;

namespace {

constexpr long kAllDevices = 1;
constexpr long kNetworkConnection = 2;
const wchar_t kKeepProductId[] = L"1812";

using DevicePtr = ComPtr<IPrinterDevice>;
using CollectionPtr = ComPtr<IDeviceCollection>;

// The common part of a record from either list.
Device_Dev ReadRecord(IPrinterDevice* device, bool useIpAddress)
{
    Device_Dev record;
    record.friendlyName = DeviceText(&IPrinterDevice::get_FriendlyName, device);
    record.deviceName = DeviceText(&IPrinterDevice::get_Name, device);
    if (record.deviceName.empty())
        record.deviceName = record.friendlyName;
    record.address = useIpAddress ? DeviceText(&IPrinterDevice::get_IPAddress, device)
                                  : DeviceText(&IPrinterDevice::get_DevicePath, device);
    record.productId = DeviceText(&IPrinterDevice::get_ProductId, device);
    record.statusCode = -1;
    record.printerName = DeviceText(&IPrinterDevice::get_PrinterName, device);
    long connection = 0;
    record.isNetwork = SUCCEEDED(device->get_ConnectionType(&connection)) && connection == kNetworkConnection;
    VARIANT_BOOL installed = VARIANT_FALSE;
    if (SUCCEEDED(device->get_DriverInstalled(&installed)))
        record.driverInstalled = static_cast<uint16_t>(installed);
    return record;
}

} // namespace

std::wstring DeviceText(HRESULT (STDMETHODCALLTYPE IPrinterDevice::*getter)(BSTR*), IPrinterDevice* device)
{
    UniqueBstr value;
    if (FAILED((device->*getter)(value.put())) || value.get() == nullptr)
        return {};
    return value.get();
}

DevicePtr DeviceAt(IDeviceCollection* collection, long index)
{
    UniqueVariant item;
    DevicePtr device;
    if (FAILED(collection->get_Item(index, item.get())))
        return device;
    const VARIANT& value = *item.get();
    IUnknown* unknown = value.vt == VT_DISPATCH ? value.pdispVal : value.vt == VT_UNKNOWN ? value.punkVal : nullptr;
    if (unknown != nullptr)
        unknown->QueryInterface(IID_IPrinterDevice, device.put_void());
    return device;
}

long DeviceCount(IDeviceCollection* collection)
{
    long count = 0;
    return SUCCEEDED(collection->get_Count(&count)) && count > 0 ? count : 0;
}

bool EnumeratePrinters(DeviceList& devices)
{
    LogFile().Write(L"Enumarate Printers");
    Device_Dev kept;
    bool keep = false;

    ComPtr<IDeviceEnumerator> enumerator;
    if (FAILED(Com().CoCreateInstance(CLSID_DeviceEnumerator, nullptr, kAnyServerContext, IID_IDeviceEnumerator,
                                      enumerator.put_void())) ||
        !enumerator) {
        LogFile().Write(L"Enumarate Printers create Instance failed");
        return false;
    }

    CollectionPtr usb;
    if (FAILED(enumerator->GetConnectedUSBDevices(kAllDevices, usb.put())) || !usb) {
        LogFile().Write(L"Enumarate Printers -  GetConnectedUSBDevices failed");
    } else {
        for (long index = 1, count = DeviceCount(usb.get()); index <= count; ++index) {
            DevicePtr device = DeviceAt(usb.get(), index);
            if (!device)
                continue;
            Device_Dev record = ReadRecord(device.get(), false);
            record.hardwareId = kHardwareIdPrefix + record.productId;
            if (!record.printerName.empty()) {
                devices.push_back(record);
            } else if (record.productId.find(kKeepProductId) != std::wstring::npos) {
                // Listed only if an installed USB queue of the same kind turns up below.
                kept = record;
                keep = true;
            }
        }
    }

    CollectionPtr installed;
    if (FAILED(enumerator->GetInstalledDevices(kAllDevices, installed.put())) || !installed) {
        LogFile().Write(L"Enumarate Printers -  GetInstalledDevices failed");
        return false;
    }
    for (long index = 1, count = DeviceCount(installed.get()); index <= count; ++index) {
        DevicePtr device = DeviceAt(installed.get(), index);
        if (!device)
            continue;
        long connection = 0;
        bool isNetwork = SUCCEEDED(device->get_ConnectionType(&connection)) && connection == kNetworkConnection;
        bool keptKind = DeviceText(&IPrinterDevice::get_ProductId, device.get()).find(kKeepProductId) != std::wstring::npos;
        if (!isNetwork && !(keptKind && keep))
            continue;
        Device_Dev record = ReadRecord(device.get(), isNetwork);
        if (keptKind && !isNetwork && keep) {
            std::wstring queue = record.printerName;
            record = kept;
            record.printerName = queue;
            keep = false;
        }
        devices.push_back(record);
    }
    LogFile().Write(L"Enumaration success");
    return true;
}
