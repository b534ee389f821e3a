#include "app/engine/DiagnosticMgr.h"

#include <algorithm>
#include <utility>

#include "KeloDiagnosticCore.h"
#include "app/engine/EngineMessages.h"
#include "discovery/DeviceEnumeration.h"
#include "quill/QuillManager.h"
#include "quill/SNMPNWManager.h"
#include "sable/DeviceStatusTest.h"
#include "sable/SableManager.h"
#include "support/CrashTrace.h"
#include "support/LogFile.h"
#include "support/ProductInfoColl.h"
#include "tools/ConnectivityTest.h"
#include "tools/LowLevelPrintTest.h"
#include "winapi/NGWinApi.h"

using namespace NGWinApi;

namespace {

std::unique_ptr<Test> MakeTest(int32_t id, const wchar_t* name, std::unique_ptr<CTest> object)
{
    auto entry = std::make_unique<Test>();
    entry->id = id;
    entry->name = name;
    entry->test = std::move(object);
    return entry;
}

} // namespace

CDiagnosticMgr::CDiagnosticMgr()
    : sable_(std::make_unique<CSableManager>()),
      quillUsb_(std::make_unique<CQuillManager>()),
      quillNetwork_(std::make_unique<CSNMPNWManager>())
{
}

CDiagnosticMgr::~CDiagnosticMgr()
{
    StopTestWorkers();
}

void CDiagnosticMgr::BuildTests()
{
    tests_.clear();
    tests_.push_back(MakeTest(1, L"Connectivity Test", std::make_unique<CConnectivityTest>()));
    tests_.push_back(MakeTest(2, L"Device Status Test", std::make_unique<CDeviceStatusTest>(*this)));
    tests_.push_back(MakeTest(3, L"Low level print Test", std::make_unique<CLowLevelPrintTest>(*this)));
    tests_.push_back(MakeTest(4, L"Print Evaluation Test", std::make_unique<CPrintEvaluationTest>()));
    tests_.push_back(MakeTest(5, L"Copy Test", std::make_unique<CCopyTest>()));
    tests_.push_back(MakeTest(6, L"Copy Evaluation Test", std::make_unique<CCopyEvaluationTest>()));
    currentTestIndex_ = -1;
}

void CDiagnosticMgr::Initialize()
{
    BuildTests();
    DeviceList found;
    EnumeratePrinters(found);
    ReplaceDevices(found);
}

void CDiagnosticMgr::Notify(WPARAM progress) const
{
    if (notifyWindow_ != nullptr)
        ::SendMessageW(notifyWindow_, kMsgTestProgress, progress, 0);
}

void CDiagnosticMgr::RenewCancelEvent()
{
    std::lock_guard lock(cancelLock_);
    cancelEvent_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
}

HANDLE CDiagnosticMgr::CancelEvent() const
{
    std::lock_guard lock(cancelLock_);
    return cancelEvent_.get();
}

void CDiagnosticMgr::SignalCancel() const
{
    std::lock_guard lock(cancelLock_);
    if (cancelEvent_)
        ::SetEvent(cancelEvent_.get());
}

void CDiagnosticMgr::RunCurrentTest()
{
    Notify(kProgressStarted);
    RenewCancelEvent();
    Test* entry = TestAt(currentTestIndex_);
    if (entry == nullptr || !entry->test) {
        if (entry != nullptr)
            entry->result = kTestFailed;
        Notify(kProgressFailed);
        return;
    }
    uint64_t generation = 0;
    int32_t index = 0;
    std::optional<Device_Dev> device;
    {
        std::lock_guard lock(devicesLock_);
        generation = listGeneration_;
        index = selectedIndex_;
        if (const Device_Dev* selected = SelectedLocked())
            device = *selected;
    }
    if (!device) {
        // No printer to test: the test cannot run, which counts as failed.
        entry->result = kTestFailed;
        Notify(kProgressFailed);
        return;
    }
    int32_t outcome = kRunFailed;
    try {
        outcome = entry->test->Run(*device);
    } catch (...) {
        LogFile().Write(L"Exception occured in %s", entry->name.c_str());
        outcome = kRunFailed;
    }
    {
        // The test's findings (status code, feeder state, print file) belong to the record it ran on.
        std::lock_guard lock(devicesLock_);
        if (generation == listGeneration_ && index == selectedIndex_)
            if (Device_Dev* selected = SelectedLocked())
                *selected = *device;
    }
    switch (outcome) {
    case kRunPassed:
        entry->result = kTestPassed;
        Notify(kProgressPassed);
        break;
    case kRunFailed:
        entry->result = kTestFailed;
        Notify(kProgressFailed);
        break;
    case kRunAbandon:
        entry->result = kTestFailed;
        Notify(kProgressAbandon);
        break;
    default:
        break;
    }
}

DWORD WINAPI CDiagnosticMgr::TestWorker(LPVOID manager)
{
    return RunThreadLogged(L"test worker", [&] {
        static_cast<CDiagnosticMgr*>(manager)->RunCurrentTest();
        return DWORD{0};
    });
}

bool CDiagnosticMgr::StartTestWorker()
{
    std::lock_guard lock(workersLock_);
    std::erase_if(workers_, [](const UniqueHandle& worker) { return ::WaitForSingleObject(worker.get(), 0) == WAIT_OBJECT_0; });
    UniqueHandle worker(Kernel().CreateThread(nullptr, 0, &CDiagnosticMgr::TestWorker, this, 0, nullptr));
    if (!worker)
        return false;
    workers_.push_back(std::move(worker));
    return true;
}

bool CDiagnosticMgr::TestWorkerRunning() const
{
    std::lock_guard lock(workersLock_);
    return std::any_of(workers_.begin(), workers_.end(),
                       [](const UniqueHandle& worker) { return ::WaitForSingleObject(worker.get(), 0) == WAIT_TIMEOUT; });
}

void CDiagnosticMgr::StopTestWorkers()
{
    std::vector<UniqueHandle> workers;
    {
        std::lock_guard lock(workersLock_);
        workers.swap(workers_);
    }
    constexpr DWORD kCancelRepeatMs = 200; // a worker renews the event as its test starts
    // Every test ends within its operations' bounds once cancelled; one that does not (a device
    // call stuck beyond them) must not keep the tool from closing.
    constexpr ULONGLONG kStopLimitMs = 20000;
    const ULONGLONG deadline = ::GetTickCount64() + kStopLimitMs;
    for (UniqueHandle& worker : workers) {
        HANDLE handle = worker.get();
        bool logged = false;
        for (;;) {
            if (::GetTickCount64() >= deadline) {
                LogFile().Write(L"The running test did not end in %u ms; the tool closes without it",
                                static_cast<unsigned>(kStopLimitMs));
                return;
            }
            SignalCancel();
            const DWORD woken = ::MsgWaitForMultipleObjects(1, &handle, FALSE, kCancelRepeatMs, QS_SENDMESSAGE);
            if (woken == WAIT_OBJECT_0 || woken == WAIT_FAILED)
                break;
            if (woken == WAIT_OBJECT_0 + 1) {
                MSG message;
                ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            } else if (!std::exchange(logged, true)) {
                LogFile().Write(L"Waiting for the running test to end");
            }
        }
    }
}

bool CDiagnosticMgr::VerifySelectedPrinter()
{
    std::optional<Device_Dev> device = Selected();
    if (!device)
        return false;
    const std::wstring& name = device->friendlyName.empty() ? device->deviceName : device->friendlyName;
    const bool supported = CProductInfoColl::VerifySupportedPrinter(device->productId, name, device->isNetwork,
                                                                    device->driverInstalled != 0);
    // The catalogue may name the network printer's product id.
    UpdateSelected([&](Device_Dev& selected) { selected.productId = device->productId; });
    return supported;
}

bool CDiagnosticMgr::CheckNetworkSettings()
{
    LogFile().Write(L"CDiagnosticMgr:: Trying to cocreate NetworkInfo interface");
    ComPtr<INetworkInfo> info;
    if (FAILED(Com().CoCreateInstance(CLSID_NetworkInfo, nullptr, kAnyServerContext, IID_INetworkInfo,
                                      info.put_void())) || !info) {
        LogFile().Write(L"CDiagnosticMgr:: Trying to cocreate NetworkInfo interface : Failed");
        return false;
    }
    LogFile().Write(L"CDiagnosticMgr:: calling raw_GetNetworkSettings");
    UniqueVariant settings;
    if (FAILED(info->GetNetworkSettings(settings.get())))
        return false;
    // The settings object sits in the value part whatever the type tag says.
    return settings.get()->punkVal != nullptr;
}

void CDiagnosticMgr::ReplaceDevices(const DeviceList& devices)
{
    std::lock_guard lock(devicesLock_);
    devices_.assign(devices.begin(), devices.end());
    ++listGeneration_;
}

int32_t CDiagnosticMgr::SelectedIndex() const
{
    std::lock_guard lock(devicesLock_);
    return selectedIndex_;
}

void CDiagnosticMgr::SetSelectedIndex(int32_t index)
{
    std::lock_guard lock(devicesLock_);
    selectedIndex_ = index;
}

Device_Dev* CDiagnosticMgr::SelectedLocked()
{
    if (selectedIndex_ < 0 || static_cast<size_t>(selectedIndex_) >= devices_.size())
        return nullptr;
    return &devices_[static_cast<size_t>(selectedIndex_)];
}

std::optional<Device_Dev> CDiagnosticMgr::Selected() const
{
    std::lock_guard lock(devicesLock_);
    if (const Device_Dev* device = const_cast<CDiagnosticMgr*>(this)->SelectedLocked())
        return *device;
    return std::nullopt;
}

bool CDiagnosticMgr::UpdateSelected(const std::function<void(Device_Dev&)>& change)
{
    std::lock_guard lock(devicesLock_);
    Device_Dev* device = SelectedLocked();
    if (device == nullptr)
        return false;
    change(*device);
    return true;
}

bool CDiagnosticMgr::StatusShown() const
{
    const std::optional<Device_Dev> device = Selected();
    return device && device->statusShown;
}

void CDiagnosticMgr::SetStatusShown(bool shown)
{
    UpdateSelected([shown](Device_Dev& device) { device.statusShown = shown; });
}

bool CDiagnosticMgr::AdfStatus() const
{
    const std::optional<Device_Dev> device = Selected();
    return device && device->adfStatus;
}

Test* CDiagnosticMgr::TestAt(int32_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= tests_.size())
        return nullptr;
    return tests_[static_cast<size_t>(index)].get();
}

CDeviceAccessManager& CDiagnosticMgr::ManagerFor(const Device_Dev& device)
{
    return ManagerFor(ProtocolFor(device));
}

CDeviceAccessManager& CDiagnosticMgr::ManagerFor(DeviceProtocol protocol)
{
    switch (protocol) {
    case DeviceProtocol::Sable:
        return *sable_;
    case DeviceProtocol::QuillNetwork:
        return *quillNetwork_;
    case DeviceProtocol::QuillUsb:
        break;
    }
    return *quillUsb_;
}
