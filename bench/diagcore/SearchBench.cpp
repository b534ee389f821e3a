// Times one network search of the component over the network its configuration allows
// (the benchmark script writes config\search.ini beside this program), the way the search
// window runs it, and prints what it found.
#include <windows.h>
#include <ocidl.h>

#include <cstdio>
#include <string>

#include "KeloDiagnosticCore.h"
#include "winapi/Handles.h"

using NGWinApi::ComPtr;

namespace {

// Signals completion; the search reports on this thread while it pumps messages.
class CompletionSink final : public IDispatch {
public:
    CompletionSink() : done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) &&
            !IsEqualIID(iid, DIID__IDeviceEnumeratorEvents))
            return E_NOINTERFACE;
        *object = static_cast<IDispatch*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        if (id == 2)
            SetEvent(done_.get());
        return S_OK;
    }
    bool Wait(DWORD timeoutMs)
    {
        ULONGLONG deadline = GetTickCount64() + timeoutMs;
        HANDLE done = done_.get();
        while (WaitForSingleObject(done, 0) != WAIT_OBJECT_0) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&message);
            ULONGLONG now = GetTickCount64();
            if (now >= deadline)
                return false;
            MsgWaitForMultipleObjects(1, &done, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
        }
        return true;
    }

private:
    NGWinApi::UniqueHandle done_;
};

int Fail(const char* what, HRESULT result)
{
    std::printf("error: %s (0x%08lx)\n", what, static_cast<unsigned long>(result));
    return 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    // Optional: the probe methods (17: SNMP and the product configuration, as the tool asks),
    // and --namespace, which bench/run.sh gives only when it runs this program (and its Wine
    // server) inside the network namespace of its realistic /24, where no route leads out.
    long methods = 17;
    bool inNamespace = false;
    for (int i = 1; i < argc; ++i) {
        if (wcscmp(argv[i], L"--namespace") == 0)
            inNamespace = true;
        else
            methods = wcstol(argv[i], nullptr, 0);
    }
    NGWinApi::ComInitialization com;
    ComPtr<INetworkInfo> info;
    ComPtr<IDeviceEnumerator> enumerator;
    HRESULT result = CoCreateInstance(CLSID_NetworkInfo, nullptr, 0x17, IID_INetworkInfo, info.put_void());
    if (FAILED(result))
        return Fail("NetworkInfo", result);
    result = CoCreateInstance(CLSID_DeviceEnumerator, nullptr, 0x17, IID_IDeviceEnumerator, enumerator.put_void());
    if (FAILED(result))
        return Fail("DeviceEnumerator", result);

    NGWinApi::UniqueVariant value;
    ComPtr<INetworkAdapterSettings> settings;
    if (FAILED(result = info->GetNetworkSettings(value.get())) || (*value).vt != VT_DISPATCH ||
        FAILED(result = (*value).pdispVal->QueryInterface(IID_INetworkAdapterSettings, settings.put_void())))
        return Fail("GetNetworkSettings", result);
    NGWinApi::UniqueBstr network;
    LONG prefix = 0;
    settings->get_SearchNetwork(network.put());
    settings->get_SearchPrefixLength(&prefix);
    // Refuse anything but loopback, or the namespace's private /24: the benchmark must never
    // leave this machine.
    if (network.get() == nullptr ||
        (wcsncmp(network.get(), L"127.", 4) != 0 && !(inNamespace && wcsncmp(network.get(), L"10.", 3) == 0)))
        return Fail("the configured network is not loopback", E_INVALIDARG);

    CompletionSink sink;
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    if (FAILED(result = enumerator->QueryInterface(IID_IConnectionPointContainer, container.put_void())) ||
        FAILED(result = container->FindConnectionPoint(DIID__IDeviceEnumeratorEvents, point.put())) ||
        FAILED(result = point->Advise(&sink, &cookie)))
        return Fail("connection point", result);

    enumerator->put_SearchNetwork(network.get());
    enumerator->put_SearchPrefixLength(prefix);
    enumerator->put_ProbeMethods(methods);
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (FAILED(result = enumerator->StartNetworkEnumeration()))
        return Fail("StartNetworkEnumeration", result);
    if (!sink.Wait(60000))
        return Fail("no completion within 60 s", E_FAIL);
    QueryPerformanceCounter(&end);
    point->Unadvise(cookie);

    ComPtr<IDeviceCollection> devices;
    LONG count = 0;
    if (FAILED(result = enumerator->GetNetworkDevices(2, devices.put())) || FAILED(result = devices->get_Count(&count)))
        return Fail("GetNetworkDevices", result);
    int identified = 0;
    for (LONG index = 1; index <= count; ++index) {
        NGWinApi::UniqueVariant item;
        ComPtr<IPrinterDevice> device;
        NGWinApi::UniqueBstr name;
        if (SUCCEEDED(devices->get_Item(index, item.get())) && (*item).vt == VT_DISPATCH &&
            SUCCEEDED((*item).pdispVal->QueryInterface(IID_IPrinterDevice, device.put_void())) &&
            SUCCEEDED(device->get_Name(name.put())) && name.get() != nullptr && SysStringLen(name.get()) > 0)
            ++identified;
    }
    double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::printf("network %ls/%ld\nfound %ld\nidentified %d\nseconds %.3f\n", network.get(), static_cast<long>(prefix),
                static_cast<long>(count), identified, seconds);
    return 0;
}
