#include "app/engine/DiagnosticMgr.h"

#include "KeloDiagnosticCore.h"
#include "app/engine/EngineMessages.h"
#include "discovery/DeviceEnumeration.h"
#include "discovery/SelectedDevice.h"
#include "quill/QuillManager.h"
#include "quill/SNMPNWManager.h"
#include "sable/DeviceStatusTest.h"
#include "sable/SableManager.h"
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
    SetSelectedDevice(std::nullopt);
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
    devices_.clear();
    EnumeratePrinters(devices_);
    PublishSelection();
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
    Device_Dev* device = Selected();
    if (device == nullptr) {
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
    PublishSelection();
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
    static_cast<CDiagnosticMgr*>(manager)->RunCurrentTest();
    return 0;
}

bool CDiagnosticMgr::VerifySelectedPrinter()
{
    Device_Dev* device = Selected();
    if (device == nullptr)
        return false;
    const std::wstring& name = device->friendlyName.empty() ? device->deviceName : device->friendlyName;
    const bool supported = CProductInfoColl::VerifySupportedPrinter(device->productId, name, device->isNetwork,
                                                                    device->driverInstalled != 0);
    PublishSelection();
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
    devices_.assign(devices.begin(), devices.end());
    PublishSelection();
}

void CDiagnosticMgr::SetSelectedIndex(int32_t index)
{
    selectedIndex_ = index;
    PublishSelection();
}

Device_Dev* CDiagnosticMgr::Selected()
{
    if (selectedIndex_ < 0 || static_cast<size_t>(selectedIndex_) >= devices_.size())
        return nullptr;
    return &devices_[static_cast<size_t>(selectedIndex_)];
}

const Device_Dev* CDiagnosticMgr::Selected() const
{
    return const_cast<CDiagnosticMgr*>(this)->Selected();
}

bool CDiagnosticMgr::StatusShown() const
{
    const Device_Dev* device = Selected();
    return device != nullptr && device->statusShown;
}

void CDiagnosticMgr::SetStatusShown(bool shown)
{
    if (Device_Dev* device = Selected()) {
        device->statusShown = shown;
        PublishSelection();
    }
}

bool CDiagnosticMgr::AdfStatus() const
{
    const Device_Dev* device = Selected();
    return device != nullptr && device->adfStatus;
}

void CDiagnosticMgr::PublishSelection() const
{
    const Device_Dev* device = Selected();
    SetSelectedDevice(device != nullptr ? std::optional<Device_Dev>(*device) : std::nullopt);
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
