// Enumeration rules against a component that reports what each case needs.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "KeloDiagnosticCore.h"
#include "TestFolder.h"
#include "discovery/DeviceEnumeration.h"
#include "winapi/Handles.h"

namespace {

struct DeviceData {
    const wchar_t* name = L"";
    const wchar_t* friendlyName = L"";
    long connection = 1;
    const wchar_t* ipAddress = nullptr;
    const wchar_t* path = L"";
    const wchar_t* productId = L"";
    const wchar_t* printerName = L"";
    bool driverInstalled = true;
};

// IDispatch members no caller of these fakes uses.
template <class Interface>
class FakeDispatch : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(Interface)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    virtual ~FakeDispatch() = default;

private:
    ULONG references_ = 1;
};

HRESULT Put(const wchar_t* text, BSTR* value)
{
    *value = text != nullptr ? SysAllocString(text) : nullptr; // null texts count as empty
    return S_OK;
}

class FakeDevice : public FakeDispatch<IPrinterDevice> {
public:
    explicit FakeDevice(DeviceData data) : data_(data) {}
    HRESULT STDMETHODCALLTYPE get_Manufacturer(BSTR* v) override { return Put(L"Kelo", v); }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* v) override { return Put(data_.name, v); }
    HRESULT STDMETHODCALLTYPE get_ConnectionType(long* v) override { *v = data_.connection; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_DriverInstalled(VARIANT_BOOL* v) override
    {
        *v = data_.driverInstalled ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_HardwareId(BSTR* v) override { return Put(L"", v); }
    HRESULT STDMETHODCALLTYPE get_PortName(BSTR* v) override { return Put(L"", v); }
    HRESULT STDMETHODCALLTYPE get_IPAddress(BSTR* v) override { return Put(data_.ipAddress, v); }
    HRESULT STDMETHODCALLTYPE get_ProductName(BSTR* v) override { return Put(L"", v); }
    HRESULT STDMETHODCALLTYPE get_SerialNumber(BSTR* v) override { return Put(L"", v); }
    HRESULT STDMETHODCALLTYPE get_FriendlyName(BSTR* v) override { return Put(data_.friendlyName, v); }
    HRESULT STDMETHODCALLTYPE get_DriverName(BSTR* v) override { return Put(L"", v); }
    HRESULT STDMETHODCALLTYPE get_DevicePath(BSTR* v) override { return Put(data_.path, v); }
    HRESULT STDMETHODCALLTYPE get_ProductId(BSTR* v) override { return Put(data_.productId, v); }
    HRESULT STDMETHODCALLTYPE get_PrinterName(BSTR* v) override { return Put(data_.printerName, v); }
    HRESULT STDMETHODCALLTYPE get_Flags(long* v) override { *v = 0x10; return S_OK; }

private:
    DeviceData data_;
};

class FakeCollection : public FakeDispatch<IDeviceCollection> {
public:
    explicit FakeCollection(std::vector<DeviceData> devices) : devices_(std::move(devices)) {}
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Count(long* count) override
    {
        *count = static_cast<long>(devices_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Item(long index, VARIANT* device) override
    {
        if (index < 1 || index > static_cast<long>(devices_.size()))
            return E_INVALIDARG;
        VariantInit(device);
        device->vt = VT_DISPATCH;
        device->pdispVal = new FakeDevice(devices_[static_cast<size_t>(index - 1)]);
        return S_OK;
    }

private:
    std::vector<DeviceData> devices_;
};

struct ComponentData {
    bool usbFails = false;
    bool installedFails = false;
    std::vector<DeviceData> usb;
    std::vector<DeviceData> installed;
};

class FakeEnumerator : public FakeDispatch<IDeviceEnumerator> {
public:
    explicit FakeEnumerator(const ComponentData& data) : data_(data) {}
    HRESULT STDMETHODCALLTYPE GetInstalledDevices(long selection, IDeviceCollection** devices) override
    {
        EXPECT_EQ(selection, 1);
        if (data_.installedFails)
            return E_FAIL;
        *devices = new FakeCollection(data_.installed);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectedUSBDevices(long selection, IDeviceCollection** devices) override
    {
        EXPECT_EQ(selection, 1);
        if (data_.usbFails)
            return E_FAIL;
        *devices = new FakeCollection(data_.usb);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetNetworkDevices(long, IDeviceCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE StartNetworkEnumeration() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CancelNetworkEnumeration() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_EnumerationInProgress(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SearchNetwork(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_SearchNetwork(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SearchPrefixLength(long*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_SearchPrefixLength(long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ProbeMethods(long*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ProbeMethods(long) override { return E_NOTIMPL; }

private:
    ComponentData data_;
};

// Hands out the fake component, or fails like a missing one.
class FakeCom : public NGWinApi::CComApi {
public:
    explicit FakeCom(const ComponentData* data) : data_(data) {}
    HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN, DWORD context, REFIID iid, LPVOID* object) override
    {
        EXPECT_EQ(context, 0x17u);
        if (data_ == nullptr || clsid != CLSID_DeviceEnumerator || iid != IID_IDeviceEnumerator)
            return REGDB_E_CLASSNOTREG;
        *object = static_cast<IDeviceEnumerator*>(new FakeEnumerator(*data_));
        return S_OK;
    }

private:
    const ComponentData* data_;
};

struct EnumerationRun {
    bool result = false;
    DeviceList devices;
    std::string log;
};

EnumerationRun Enumerate(const ComponentData* component)
{
    FakeCom com(component);
    NGWinApi::ScopedApi<NGWinApi::CComApi> scoped(com);
    LogTail log;
    EnumerationRun run;
    run.result = EnumeratePrinters(run.devices);
    run.log = log.Appended();
    return run;
}

const DeviceData kOfficeNetwork{L"Kelo Workline 4420", L"Office 4420", 2, L"127.0.0.10", L"", L"", L"Office 4420", true};
const DeviceData kDeskUsb{L"Kelo Vireo 4500", L"Desk", 1, nullptr, L"\\\\?\\USB#VID_0A7E&PID_2312#A1#{x}", L"2312",
                          L"Desk Vireo", true};

} // namespace

TEST(EnumeratePrinters, UsbQueuesFirstThenNetworkPrintersInComponentOrder)
{
    ComponentData component;
    DeviceData nameless = kDeskUsb;
    nameless.name = L"";
    DeviceData noQueue = kDeskUsb;
    noQueue.printerName = L"";
    noQueue.productId = L"2412";
    DeviceData installedUsb = kDeskUsb; // not network: the installed list's USB entries are not listed again
    component.usb = {nameless, noQueue};
    DeviceData twin = kOfficeNetwork;
    twin.printerName = L"Office 4420 (copy)";
    component.installed = {installedUsb, kOfficeNetwork, twin};

    EnumerationRun run = Enumerate(&component);
    ASSERT_TRUE(run.result);
    ASSERT_EQ(run.devices.size(), 3u);
    const Device_Dev& usb = run.devices[0];
    EXPECT_EQ(usb.deviceName, L"Desk") << "an empty device name takes the friendly name";
    EXPECT_EQ(usb.address, kDeskUsb.path);
    EXPECT_EQ(usb.hardwareId, L"VID_0A7E&PID_2312");
    EXPECT_EQ(usb.statusCode, -1);
    EXPECT_FALSE(usb.isNetwork);
    EXPECT_EQ(usb.driverInstalled, 0xFFFFu);

    EXPECT_EQ(run.devices[1].address, L"127.0.0.10");
    EXPECT_TRUE(run.devices[1].isNetwork);
    EXPECT_EQ(run.devices[1].hardwareId, L"");
    EXPECT_EQ(run.devices[2].printerName, L"Office 4420 (copy)") << "one printer under two queues is listed twice";
    EXPECT_NE(run.log.find("Enumarate Printers"), std::string::npos);
    EXPECT_NE(run.log.find("Enumaration success"), std::string::npos);
}

TEST(EnumeratePrinters, QueueLessKindIsListedThroughItsInstalledQueue)
{
    DeviceData bare = kDeskUsb;
    bare.productId = L"1812";
    bare.printerName = L"";
    bare.path = L"\\\\?\\USB#VID_0A7E&PID_1812#B2#{x}";
    DeviceData installed{L"Kelo Queue 1812", L"Queue 1812", 1, nullptr, L"other path", L"x1812", L"Kelo 1812 Queue", true};

    ComponentData both;
    both.usb = {bare};
    both.installed = {installed, installed};
    EnumerationRun run = Enumerate(&both);
    ASSERT_TRUE(run.result);
    ASSERT_EQ(run.devices.size(), 1u) << "only the first installed queue takes the kept printer";
    EXPECT_EQ(run.devices[0].address, bare.path);
    EXPECT_EQ(run.devices[0].hardwareId, L"VID_0A7E&PID_1812");
    EXPECT_EQ(run.devices[0].deviceName, L"Kelo Vireo 4500");
    EXPECT_EQ(run.devices[0].printerName, L"Kelo 1812 Queue");

    ComponentData withoutQueue;
    withoutQueue.usb = {bare};
    EXPECT_TRUE(Enumerate(&withoutQueue).devices.empty());
}

TEST(EnumeratePrinters, FailuresKeepWhatWasReadAndSaySo)
{
    ComponentData usbFails;
    usbFails.usbFails = true;
    usbFails.installed = {kOfficeNetwork};
    EnumerationRun onlyNetwork = Enumerate(&usbFails);
    EXPECT_TRUE(onlyNetwork.result);
    ASSERT_EQ(onlyNetwork.devices.size(), 1u);
    EXPECT_NE(onlyNetwork.log.find("Enumarate Printers -  GetConnectedUSBDevices failed"), std::string::npos);

    ComponentData installedFails;
    installedFails.installedFails = true;
    installedFails.usb = {kDeskUsb};
    EnumerationRun onlyUsb = Enumerate(&installedFails);
    EXPECT_FALSE(onlyUsb.result);
    EXPECT_EQ(onlyUsb.devices.size(), 1u);
    EXPECT_NE(onlyUsb.log.find("Enumarate Printers -  GetInstalledDevices failed"), std::string::npos);

    EnumerationRun missing = Enumerate(nullptr);
    EXPECT_FALSE(missing.result);
    EXPECT_TRUE(missing.devices.empty());
    EXPECT_NE(missing.log.find("Enumarate Printers create Instance failed"), std::string::npos);
}
