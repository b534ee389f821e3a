#pragma once
// The model of a diagnosis run: the printers, the chosen one, the six tests with their results,
// the cancel event of the print job and the three device access managers.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "app/engine/DiagnosticTest.h"
#include "app/engine/SimulationKinds.h"
#include "app/engine/TestContext.h"
#include "discovery/Device_Dev.h"
#include "winapi/Handles.h"

class CSableManager;
class CQuillManager;
class CSNMPNWManager;
class CDeviceAccessManager;


// Indexes of the test list.
inline constexpr int32_t kConnectivityTestIndex = 0;
inline constexpr int32_t kDeviceStatusTestIndex = 1;
inline constexpr int32_t kLowLevelPrintTestIndex = 2;
inline constexpr int32_t kPrintEvaluationTestIndex = 3;
inline constexpr int32_t kCopyTestIndex = 4;
inline constexpr int32_t kCopyEvaluationTestIndex = 5;

class CDiagnosticMgr : public CTestContext {
public:
    CDiagnosticMgr();
    virtual ~CDiagnosticMgr();
    CDiagnosticMgr(const CDiagnosticMgr&) = delete;
    CDiagnosticMgr& operator=(const CDiagnosticMgr&) = delete;

    // Builds the test list, sets the current test index to -1 and enumerates the printers.
    void Initialize();
    // The test list alone (Initialize without the enumeration).
    void BuildTests();

    // The body of a test worker: runs the current test on the selected printer and reports to
    // the notify window with message 1035 (3, then the outcome), each sent synchronously.
    void RunCurrentTest();
    // CreateThread entry that calls RunCurrentTest on the manager passed as parameter.
    static DWORD WINAPI TestWorker(LPVOID manager);
    // Runs the current test on a worker thread the manager owns; false when it could not start.
    bool StartTestWorker();
    // Asks a running test to stop and waits until every worker has ended, serving messages
    // the workers send to this thread meanwhile. The destructor does it: a worker must never
    // outlive the tests and records it works on.
    void StopTestWorkers();
    bool TestWorkerRunning() const;

    bool VerifySelectedPrinter();
    bool CheckNetworkSettings();
    // Replaces the device list with copies of `devices`, in order.
    void ReplaceDevices(const DeviceList& devices);

    HWND NotifyWindow() const { return notifyWindow_; }
    void SetNotifyWindow(HWND window) { notifyWindow_ = window; }

    // The manager is the one owner of the printer records. The list is filled and edited on the
    // window thread; a worker never touches it but works on a copy of the selected record taken
    // under the lock, and a test's findings are stored back under it.
    DeviceList& Devices() { return devices_; }
    const DeviceList& Devices() const { return devices_; }
    int32_t SelectedIndex() const;
    void SetSelectedIndex(int32_t index);
    // A copy of the selected record; nothing when the index lies outside the list.
    std::optional<Device_Dev> Selected() const;
    // Changes the selected record in place under the lock; false when nothing is selected.
    bool UpdateSelected(const std::function<void(Device_Dev&)>& change);
    bool StatusShown() const;
    void SetStatusShown(bool shown);
    bool AdfStatus() const;

    int32_t CurrentTestIndex() const { return currentTestIndex_; }
    void SetCurrentTestIndex(int32_t index) { currentTestIndex_ = index; }
    const std::vector<std::unique_ptr<Test>>& Tests() const { return tests_; }
    // The entry at `index`; null outside the list.
    Test* TestAt(int32_t index);

    // The cancel event of the running print job (auto-reset); made anew before every run.
    HANDLE CancelEvent() const override;
    // Asks a running print job to stop.
    void SignalCancel() const;

    CSableManager& Sable() override { return *sable_; }
    CQuillManager& QuillUsb() { return *quillUsb_; }
    CSNMPNWManager& QuillNetwork() override { return *quillNetwork_; }
    CDeviceAccessManager& ManagerFor(const Device_Dev& device);
    CDeviceAccessManager& ManagerFor(DeviceProtocol protocol);

    bool StatusVerdict() const { return statusVerdict_; }
    void SetStatusVerdict(bool noError) override { statusVerdict_ = noError; }
    bool NetworkSearchDone() const { return networkSearchDone_; }
    void SetNetworkSearchDone(bool done) { networkSearchDone_ = done; }
    bool ErrorSimulationActive() const { return errorSimulationActive_; }
    void SetErrorSimulationActive(bool active) { errorSimulationActive_ = active; }
    int32_t SimulatedErrorKind() const { return simulatedErrorKind_; }
    void SetSimulatedErrorKind(int32_t kind) { simulatedErrorKind_ = kind; }

private:
    void Notify(WPARAM progress) const;
    void RenewCancelEvent();

    // The record at the selected index, or null; the caller holds devicesLock_.
    Device_Dev* SelectedLocked();

    HWND notifyWindow_ = nullptr;
    mutable std::mutex devicesLock_;
    DeviceList devices_;
    int32_t selectedIndex_ = 0;
    uint64_t listGeneration_ = 0; // counts replacements of the list, so a stale finding is dropped
    int32_t currentTestIndex_ = -1;
    std::vector<std::unique_ptr<Test>> tests_;
    mutable std::mutex workersLock_;
    std::vector<NGWinApi::UniqueHandle> workers_;
    mutable std::mutex cancelLock_; // the print page signals while a worker renews
    NGWinApi::UniqueHandle cancelEvent_;
    std::unique_ptr<CSableManager> sable_;
    std::unique_ptr<CQuillManager> quillUsb_;
    std::unique_ptr<CSNMPNWManager> quillNetwork_;
    bool statusVerdict_ = false;
    bool networkSearchDone_ = false;
    bool errorSimulationActive_ = false;
    int32_t simulatedErrorKind_ = 0;
};
