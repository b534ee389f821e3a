#pragma once
// Helpers for the diagnostic core component's tests: objects created as the tool creates
// them (registration-free, through this program's manifest), every device property read
// through its vtable slot, the search configuration beside this program, an event sink, and
// simulated USB printers handed to the component.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "KeloDiagnosticCore.h"
#include "winapi/DeviceIoApi.h"
#include "winapi/Handles.h"

// CLSCTX_INPROC_SERVER | INPROC_HANDLER | LOCAL_SERVER | REMOTE_SERVER, as the tool asks.
inline constexpr DWORD kAnyServer = 0x17;

template <class Interface>
NGWinApi::ComPtr<Interface> CreateCore(REFCLSID clsid, HRESULT* result = nullptr)
{
    NGWinApi::ComPtr<Interface> object;
    HRESULT created = CoCreateInstance(clsid, nullptr, kAnyServer, __uuidof(Interface), object.put_void());
    if (result != nullptr)
        *result = created;
    return object;
}

// A BSTR property as text; a null BSTR is empty.
template <class Object>
std::wstring TextOf(Object* object, HRESULT (STDMETHODCALLTYPE Object::*get)(BSTR*))
{
    NGWinApi::UniqueBstr value;
    if (FAILED((object->*get)(value.put())))
        return L"<failed>";
    return value.get() != nullptr ? std::wstring(value.get(), SysStringLen(value.get())) : std::wstring();
}

// Every property of a device, read through its slot.
struct DeviceView {
    std::wstring manufacturer, name, hardwareId, portName, ipAddress, productName, serialNumber, friendlyName,
        driverName, devicePath, productId, printerName;
    long connectionType = -1;
    VARIANT_BOOL driverInstalled = 0;
    long flags = -1;
};

DeviceView ReadDevice(IPrinterDevice* device);
// Every item of a collection, indexed from 1 as the tool does, asked for IPrinterDevice.
std::vector<DeviceView> ReadDevices(IDeviceCollection* devices);
// The device whose property `field` equals `value`; null when none.
const DeviceView* FindDevice(const std::vector<DeviceView>& devices, std::wstring DeviceView::*field,
                             const std::wstring& value);

// config\search.ini beside this program for the life of the object.
class SearchConfigFile {
public:
    explicit SearchConfigFile(const std::string& contents);
    ~SearchConfigFile();
    SearchConfigFile(const SearchConfigFile&) = delete;
    SearchConfigFile& operator=(const SearchConfigFile&) = delete;
    static std::wstring Path();
};

// The tool's side of _IDeviceEnumeratorEvents: records each event and the thread it came on.
class EventRecorder final : public IDispatch {
public:
    struct Event {
        DISPID id;
        long value;
        DWORD thread;
    };

    EventRecorder();
    ~EventRecorder();
    EventRecorder(const EventRecorder&) = delete;
    EventRecorder& operator=(const EventRecorder&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; } // lives on the test's stack
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*, EXCEPINFO*,
                                     UINT*) override;

    std::vector<Event> Events() const;
    HANDLE Completed() const { return completed_.get(); }
    // Connects to the enumerator's connection point; the cookie is kept for Disconnect.
    HRESULT Connect(IUnknown* enumerator);
    HRESULT Disconnect();
    // Pumps this thread's messages until completion; false after `timeoutMs`.
    bool WaitForCompletion(DWORD timeoutMs) const;

private:
    std::atomic<ULONG> references_{0};
    mutable std::mutex mutex_;
    std::vector<Event> events_;
    NGWinApi::UniqueHandle completed_;
    NGWinApi::ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

// Puts a device I/O wrapper in place inside the component's DLL for one scope.
class ComponentDeviceIo {
public:
    explicit ComponentDeviceIo(NGWinApi::CDeviceIoApi& api);
    ~ComponentDeviceIo();
    ComponentDeviceIo(const ComponentDeviceIo&) = delete;
    ComponentDeviceIo& operator=(const ComponentDeviceIo&) = delete;

private:
    using Replace = NGWinApi::CDeviceIoApi*(STDAPICALLTYPE*)(NGWinApi::CDeviceIoApi*);
    Replace replace_ = nullptr;
    NGWinApi::CDeviceIoApi* previous_ = nullptr;
};

// Pumps messages for `milliseconds`.
void PumpFor(DWORD milliseconds);
