// The creatable DeviceEnumerator: attached and installed printers, and the network search.
#include "components/diagcore/CoreClasses.h"

#include <algorithm>
#include <memory>
#include <mutex>

#include "components/diagcore/DeviceObjects.h"
#include "components/diagcore/DispatchObject.h"
#include "components/diagcore/EventHub.h"
#include "components/diagcore/NetworkSearch.h"
#include "components/diagcore/PrinterSources.h"
#include "components/diagcore/ProbeMessages.h"
#include "components/diagcore/SearchSettings.h"

namespace diagcore {

namespace {

constexpr long kSelectAll = 1;   // KeloDeviceSelection dsAllDevices
constexpr long kSelectMaker = 2; // dsMakerDevices
constexpr long kDefaultPrefixLength = 24;

HRESULT LastErrorResult(DWORD fallback)
{
    DWORD error = ::GetLastError();
    return HRESULT_FROM_WIN32(error != ERROR_SUCCESS ? error : fallback);
}

// A collection getter: checks its arguments, lets `read` fill the records (or fail), and
// hands out those the selection keeps.
template <class Read>
HRESULT ListDevices(LONG selection, IDeviceCollection** devices, Read read) noexcept
{
    return Guarded([&]() -> HRESULT {
        if (devices == nullptr)
            return E_POINTER;
        *devices = nullptr;
        if (selection != kSelectAll && selection != kSelectMaker)
            return E_INVALIDARG;
        std::vector<DeviceRecord> records;
        HRESULT result = read(records);
        if (FAILED(result))
            return result;
        if (selection == kSelectMaker)
            std::erase_if(records, [](const DeviceRecord& record) { return (record.flags & kFlagMakerPrinter) == 0; });
        return CreateDeviceCollection(std::move(records), devices);
    });
}

struct SearchResults {
    std::mutex mutex;
    std::vector<DeviceRecord> records;
};

struct SearchJob {
    std::atomic<bool> cancel{false};
    std::atomic<bool> running{true};
};

struct SearchWork {
    SearchPlan plan;
    std::shared_ptr<SearchJob> job;
    std::shared_ptr<EventHub> hub;
    std::shared_ptr<SearchResults> results;
    HMODULE module = nullptr;
};

class ComApartment {
public:
    ComApartment() : result_(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComApartment()
    {
        if (SUCCEEDED(result_))
            ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT result_;
};

void RunSearchWork(const SearchWork& work) noexcept
{
    ComApartment apartment;
    std::vector<DeviceRecord> records;
    try {
        records = RunNetworkSearch(
            work.plan, [&](long percent) { work.hub->Deliver(kDispidProgress, percent); }, work.job->cancel);
        SpoolerState spooler;
        if (ReadSpooler(spooler))
            BindNetworkQueues(records, spooler);
    } catch (...) {
        records.clear();
    }
    {
        std::lock_guard lock(work.results->mutex);
        work.results->records.swap(records);
    }
    work.job->running = false;
    work.hub->Deliver(kDispidCompleted, 0);
}

// The worker holds its own reference on the module, so the DLL stays loaded until the
// thread has left its code, even when every object is gone before the search ends.
DWORD WINAPI SearchThread(void* parameter)
{
    HMODULE module;
    {
        std::unique_ptr<SearchWork> work(static_cast<SearchWork*>(parameter));
        module = work->module;
        RunSearchWork(*work);
    }
    UnlockModule();
    ::FreeLibraryAndExitThread(module, 0);
}

bool CallerInSingleThreadedApartment()
{
    APTTYPE type;
    APTTYPEQUALIFIER qualifier;
    if (FAILED(::CoGetApartmentType(&type, &qualifier)))
        return false;
    return type == APTTYPE_STA || type == APTTYPE_MAINSTA;
}

class DeviceEnumerator;

class EventConnectionPoint final : public IConnectionPoint {
public:
    EventConnectionPoint(IConnectionPointContainer& owner, EventHub& hub) : owner_(owner), hub_(hub) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IConnectionPoint))
            return E_NOINTERFACE;
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    // The point lives inside the enumerator and keeps it alive.
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override
    {
        if (iid == nullptr)
            return E_POINTER;
        *iid = DIID__IDeviceEnumeratorEvents;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override
    {
        if (container == nullptr)
            return E_POINTER;
        *container = &owner_;
        owner_.AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override
    {
        return Guarded([&] { return hub_.Advise(sink, cookie); });
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override
    {
        return Guarded([&] { return hub_.Unadvise(cookie); });
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override
    {
        if (connections != nullptr)
            *connections = nullptr;
        return E_NOTIMPL;
    }

private:
    IConnectionPointContainer& owner_;
    EventHub& hub_;
};

class DeviceEnumerator final : public DispatchObject<IDeviceEnumerator>,
                               public IConnectionPointContainer,
                               public IProvideClassInfo {
public:
    DeviceEnumerator() : hub_(std::make_shared<EventHub>()), point_(*this, *hub_) {}
    ~DeviceEnumerator() override
    {
        // A running search ends on its own soon; nothing it finds reaches a sink any more.
        if (job_)
            job_->cancel = true;
        hub_->Close();
    }

    // IUnknown, for every base.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        return DispatchObject<IDeviceEnumerator>::QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return DispatchObject<IDeviceEnumerator>::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return DispatchObject<IDeviceEnumerator>::Release(); }

    // IDeviceEnumerator
    HRESULT STDMETHODCALLTYPE GetInstalledDevices(LONG selection, IDeviceCollection** devices) override
    {
        return ListDevices(selection, devices, [](std::vector<DeviceRecord>& records) -> HRESULT {
            SpoolerState spooler;
            if (!ReadSpooler(spooler))
                return LastErrorResult(ERROR_NOT_READY);
            std::vector<UsbPrinter> usb;
            ReadUsbPrinters(usb);
            records = InstalledDeviceRecords(spooler, usb);
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE GetConnectedUSBDevices(LONG selection, IDeviceCollection** devices) override
    {
        return ListDevices(selection, devices, [](std::vector<DeviceRecord>& records) -> HRESULT {
            std::vector<UsbPrinter> usb;
            if (!ReadUsbPrinters(usb))
                return LastErrorResult(ERROR_NOT_READY);
            SpoolerState spooler;
            ReadSpooler(spooler); // without queues the printers are still listed, unbound
            records = UsbDeviceRecords(usb, spooler);
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE GetNetworkDevices(LONG selection, IDeviceCollection** devices) override
    {
        return ListDevices(selection, devices, [&](std::vector<DeviceRecord>& records) -> HRESULT {
            std::lock_guard lock(results_->mutex);
            records = results_->records;
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE StartNetworkEnumeration() override
    {
        return Guarded([&]() -> HRESULT {
            std::lock_guard lock(mutex_);
            if (job_ && job_->running)
                return HRESULT_FROM_WIN32(ERROR_BUSY);
            SearchConfig config = ReadSearchConfig();
            std::optional<Ipv4Network> requested;
            if (network_) {
                requested = Ipv4Network::Of(*network_, prefixLength_ != 0 ? prefixLength_ : kDefaultPrefixLength);
            } else {
                AdapterSettings adapter = ReadAdapterSettings(config);
                if (!adapter.connected)
                    return HRESULT_FROM_WIN32(ERROR_NETWORK_UNREACHABLE);
                requested = adapter.searchNetwork;
                if (prefixLength_ != 0)
                    requested = Ipv4Network::Of(requested->base, prefixLength_);
            }
            auto hosts = SearchHosts(*requested, config.allowed);
            if (!hosts)
                return E_INVALIDARG; // wider than one search may go

            auto work = std::make_unique<SearchWork>();
            work->plan.hosts = std::move(*hosts);
            work->plan.allowed = config.allowed;
            work->plan.probeMethods = probeMethods_;
            work->plan.probeTimeoutMs = config.probeTimeoutMs;
            work->job = std::make_shared<SearchJob>();
            work->hub = hub_;
            work->results = results_;
            if (CallerInSingleThreadedApartment()) {
                if (!window_.EnsureOnThisThread(hub_))
                    return LastErrorResult(ERROR_CANNOT_MAKE);
                hub_->SetWindow(window_.get());
            } else {
                hub_->SetWindow(nullptr);
            }
            if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                      reinterpret_cast<LPCWSTR>(&SearchThread), &work->module))
                return LastErrorResult(ERROR_MOD_NOT_FOUND);
            HMODULE module = work->module;
            std::shared_ptr<SearchJob> job = work->job;
            LockModule();
            NGWinApi::UniqueHandle thread(::CreateThread(nullptr, 0, SearchThread, work.get(), 0, nullptr));
            if (!thread) {
                HRESULT result = LastErrorResult(ERROR_NOT_ENOUGH_MEMORY);
                UnlockModule();
                ::FreeLibrary(module);
                return result;
            }
            work.release(); // the thread owns it now
            job_ = job;
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE CancelNetworkEnumeration() override
    {
        std::lock_guard lock(mutex_);
        if (job_)
            job_->cancel = true;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_EnumerationInProgress(VARIANT_BOOL* running) override
    {
        if (running == nullptr)
            return E_POINTER;
        std::lock_guard lock(mutex_);
        *running = job_ && job_->running ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_SearchNetwork(BSTR* network) override
    {
        return Guarded([&] {
            std::lock_guard lock(mutex_);
            return ReturnText(network_ ? WidenDeviceText(FormatIpv4(*network_)) : std::wstring(), network);
        });
    }

    HRESULT STDMETHODCALLTYPE put_SearchNetwork(BSTR network) override
    {
        std::lock_guard lock(mutex_);
        if (network == nullptr || *network == L'\0') {
            network_.reset(); // the adapter's network again
            return S_OK;
        }
        auto address = ParseIpv4(std::wstring_view(network, ::SysStringLen(network)));
        if (!address)
            return E_INVALIDARG;
        network_ = address;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_SearchPrefixLength(LONG* prefixLength) override
    {
        if (prefixLength == nullptr)
            return E_POINTER;
        std::lock_guard lock(mutex_);
        *prefixLength = prefixLength_;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE put_SearchPrefixLength(LONG prefixLength) override
    {
        if (prefixLength < 0 || prefixLength > 32)
            return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        prefixLength_ = prefixLength; // 0: the adapter's prefix, or 24 with an explicit network
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_ProbeMethods(LONG* probeMethods) override
    {
        if (probeMethods == nullptr)
            return E_POINTER;
        std::lock_guard lock(mutex_);
        *probeMethods = probeMethods_;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE put_ProbeMethods(LONG probeMethods) override
    {
        if (probeMethods == 0 || (probeMethods & ~kProbeAll) != 0)
            return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        probeMethods_ = probeMethods;
        return S_OK;
    }

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override
    {
        if (points != nullptr)
            *points = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override
    {
        if (point == nullptr)
            return E_POINTER;
        *point = nullptr;
        if (!IsEqualIID(iid, DIID__IDeviceEnumeratorEvents))
            return CONNECT_E_NOCONNECTION;
        *point = &point_;
        point_.AddRef();
        return S_OK;
    }

    // IProvideClassInfo
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override
    {
        return CoreTypeInfo(CLSID_DeviceEnumerator, info);
    }

protected:
    void* QueryFurtherInterface(REFIID iid) override
    {
        if (IsEqualIID(iid, IID_IConnectionPointContainer))
            return static_cast<IConnectionPointContainer*>(this);
        if (IsEqualIID(iid, IID_IProvideClassInfo))
            return static_cast<IProvideClassInfo*>(this);
        return nullptr;
    }

private:
    std::mutex mutex_;
    std::optional<Ipv4> network_;
    long prefixLength_ = 0;
    long probeMethods_ = kProbeAll;
    std::shared_ptr<SearchJob> job_;
    std::shared_ptr<SearchResults> results_ = std::make_shared<SearchResults>();
    std::shared_ptr<EventHub> hub_;
    EventConnectionPoint point_;
    NotificationWindow window_;
};

} // namespace

HRESULT CreateDeviceEnumerator(REFIID iid, void** object)
{
    return CreateObject<DeviceEnumerator>(iid, object);
}

} // namespace diagcore
