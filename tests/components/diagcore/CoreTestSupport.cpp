#include "CoreTestSupport.h"

#include <gtest/gtest.h>

#include "TestFolder.h"

DeviceView ReadDevice(IPrinterDevice* device)
{
    DeviceView view;
    view.manufacturer = TextOf(device, &IPrinterDevice::get_Manufacturer);
    view.name = TextOf(device, &IPrinterDevice::get_Name);
    device->get_ConnectionType(&view.connectionType);
    device->get_DriverInstalled(&view.driverInstalled);
    view.hardwareId = TextOf(device, &IPrinterDevice::get_HardwareId);
    view.portName = TextOf(device, &IPrinterDevice::get_PortName);
    view.ipAddress = TextOf(device, &IPrinterDevice::get_IPAddress);
    view.productName = TextOf(device, &IPrinterDevice::get_ProductName);
    view.serialNumber = TextOf(device, &IPrinterDevice::get_SerialNumber);
    view.friendlyName = TextOf(device, &IPrinterDevice::get_FriendlyName);
    view.driverName = TextOf(device, &IPrinterDevice::get_DriverName);
    view.devicePath = TextOf(device, &IPrinterDevice::get_DevicePath);
    view.productId = TextOf(device, &IPrinterDevice::get_ProductId);
    view.printerName = TextOf(device, &IPrinterDevice::get_PrinterName);
    device->get_Flags(&view.flags);
    return view;
}

std::vector<DeviceView> ReadDevices(IDeviceCollection* devices)
{
    std::vector<DeviceView> views;
    LONG count = -1;
    EXPECT_EQ(devices->get_Count(&count), S_OK);
    for (LONG index = 1; index <= count; ++index) {
        NGWinApi::UniqueVariant item;
        EXPECT_EQ(devices->get_Item(index, item.get()), S_OK);
        EXPECT_EQ((*item).vt, VT_DISPATCH);
        NGWinApi::ComPtr<IPrinterDevice> device;
        if ((*item).vt != VT_DISPATCH || (*item).pdispVal == nullptr ||
            FAILED((*item).pdispVal->QueryInterface(IID_IPrinterDevice, device.put_void()))) {
            ADD_FAILURE() << "item " << index << " is no device";
            continue;
        }
        views.push_back(ReadDevice(device.get()));
    }
    return views;
}

const DeviceView* FindDevice(const std::vector<DeviceView>& devices, std::wstring DeviceView::*field,
                             const std::wstring& value)
{
    for (const DeviceView& device : devices)
        if (device.*field == value)
            return &device;
    return nullptr;
}

std::wstring SearchConfigFile::Path()
{
    wchar_t exe[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder(exe, length);
    return folder.substr(0, folder.find_last_of(L'\\')) + L"\\config\\search.ini";
}

SearchConfigFile::SearchConfigFile(const std::string& contents)
{
    std::wstring path = Path();
    CreateDirectoryW(path.substr(0, path.find_last_of(L'\\')).c_str(), nullptr);
    NGWinApi::UniqueHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.get(), contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr))
        ADD_FAILURE() << "cannot write the search configuration";
}

SearchConfigFile::~SearchConfigFile()
{
    DeleteFileW(Path().c_str());
}

EventRecorder::EventRecorder() : completed_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

EventRecorder::~EventRecorder()
{
    Disconnect();
}

HRESULT EventRecorder::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) &&
        !IsEqualIID(iid, DIID__IDeviceEnumeratorEvents))
        return E_NOINTERFACE;
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

HRESULT EventRecorder::GetTypeInfoCount(UINT* count)
{
    *count = 0;
    return S_OK;
}

HRESULT EventRecorder::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*, EXCEPINFO*, UINT*)
{
    long value = 0;
    if (parameters != nullptr && parameters->cArgs == 1 && parameters->rgvarg[0].vt == VT_I4)
        value = parameters->rgvarg[0].lVal;
    {
        std::lock_guard lock(mutex_);
        events_.push_back({id, value, GetCurrentThreadId()});
    }
    if (id == 2)
        SetEvent(completed_.get());
    return S_OK;
}

std::vector<EventRecorder::Event> EventRecorder::Events() const
{
    std::lock_guard lock(mutex_);
    return events_;
}

HRESULT EventRecorder::Connect(IUnknown* enumerator)
{
    NGWinApi::ComPtr<IConnectionPointContainer> container;
    HRESULT result = enumerator->QueryInterface(IID_IConnectionPointContainer, container.put_void());
    if (FAILED(result))
        return result;
    result = container->FindConnectionPoint(DIID__IDeviceEnumeratorEvents, point_.put());
    if (FAILED(result))
        return result;
    return point_->Advise(static_cast<IDispatch*>(this), &cookie_);
}

HRESULT EventRecorder::Disconnect()
{
    if (!point_)
        return S_FALSE;
    HRESULT result = point_->Unadvise(cookie_);
    point_.reset();
    return result;
}

bool EventRecorder::WaitForCompletion(DWORD timeoutMs) const
{
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        if (WaitForSingleObject(completed_.get(), 0) == WAIT_OBJECT_0)
            return true;
        ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return false;
        HANDLE event = completed_.get();
        MsgWaitForMultipleObjects(1, &event, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    }
}

void PumpFor(DWORD milliseconds)
{
    ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (ULONGLONG now = GetTickCount64(); now < deadline; now = GetTickCount64()) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    }
}

ComponentDeviceIo::ComponentDeviceIo(NGWinApi::CDeviceIoApi& api)
{
    // The component's DLL is loaded by the first object created through it.
    HMODULE module = GetModuleHandleW(L"KeloDiagnosticCore.dll");
    if (module != nullptr)
        replace_ = reinterpret_cast<Replace>(reinterpret_cast<void*>(GetProcAddress(module, "KeloDiagCoreReplaceDeviceIo")));
    if (replace_ == nullptr) {
        ADD_FAILURE() << "KeloDiagnosticCore.dll is not loaded or has no device I/O seam";
        return;
    }
    previous_ = replace_(&api);
}

ComponentDeviceIo::~ComponentDeviceIo()
{
    if (replace_ != nullptr)
        replace_(previous_);
}
