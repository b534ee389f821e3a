#pragma once
// The records all three device access managers fill and the pages show, the state each
// manager keeps, and the two resets. Every text starts as the localized "TSY_NOT_AVAILABLE".
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "discovery/Device_Dev.h"
#include "winapi/Handles.h"

// What the device information page shows, in the order the page lists it.
struct DeviceInfo {
    std::wstring modelName;
    std::wstring modelBaseName;
    std::wstring firmwareRevision;
    std::wstring serialNumber;
    std::wstring serviceId;
    std::wstring inkKitNumber;
    std::wstring panelProgramVersion; // shown as the software version
    std::wstring printerDriverVersion;
    std::wstring macAddress;
    std::wstring bornDate;            // "day/month/year " derived from the service id
    int32_t totalImpressions = -1;    // page count; -1 when unknown
};

// One ink supply.
struct InkInfo {
    std::wstring colour;              // localized colour name
    std::wstring level;               // percent remaining, as the device sends it
    std::wstring regionalCartridge;
    std::wstring dropsUsed;           // decimal text
    std::wstring installationDate;
    std::wstring brand;
    std::wstring warranty;
    std::wstring selectabilityNumber; // the cartridge number to buy
    std::wstring serialNumber;
    std::wstring consumableState;
    std::wstring consumableType;
};

// One printhead.
struct PrintHeadInfo {
    std::wstring consumableType;
    std::wstring printheadNumber;
    std::wstring installationDate;
    std::wstring warranty;
    std::wstring health;
};

inline constexpr int32_t kNoAlertPriority = 10000;

struct StatusEntry {
    std::wstring statusId;
    int32_t priority = kNoAlertPriority; // until an alert supplies one
};

struct AlertEntry {
    std::wstring alertId;
    std::wstring severity;
    int32_t priority = kNoAlertPriority; // when the alert has none
};

// Everything a manager hands to the pages, as one copyable value.
struct DeviceRecords {
    DeviceInfo deviceInfo;
    std::vector<InkInfo> inkList;             // in the order the device reports its supplies
    InkInfo spareInk;
    std::vector<PrintHeadInfo> printHeadList;
    std::vector<StatusEntry> statusList;      // after a status read the first is the current condition
    std::vector<AlertEntry> alertList;
};

// The localized "TSY_NOT_AVAILABLE" of the current string table.
std::wstring NotAvailableText();

// Sets the ten texts of `info` to `text` and the page count to -1.
void ResetDeviceInfo(DeviceInfo& info, const std::wstring& text);
// Sets the eleven texts of `ink` to `text`.
void ResetInkInfo(InkInfo& ink, const std::wstring& text);
// A printhead record with every text set to `text`.
PrintHeadInfo MakePrintHeadInfo(const std::wstring& text);

// The process-wide printer region text read with the ink levels; not part of any manager.
std::wstring PrinterRegionText();
void SetPrinterRegionText(const std::wstring& text);

// The name of the job event the Sable and USB Quill managers share.
inline constexpr wchar_t kJobEventName[] = L"Listen_Event";

// Why a device operation failed, as far as the protocol can tell; what the user is told.
enum class DeviceFault {
    None,
    NotAnswering,     // no reply in time, or the connection was refused or cut
    UnexpectedAnswer, // a reply that is not the protocol's
};

// State shared by CSableManager, CQuillManager and CSNMPNWManager. Each manager has one lock:
// every reader holds it while it empties or refills the records, so a popup read and a
// running test's status read on the same manager never tear them.
class CDeviceAccessManager {
public:
    CDeviceAccessManager();
    virtual ~CDeviceAccessManager() = default;
    CDeviceAccessManager(const CDeviceAccessManager&) = delete;
    CDeviceAccessManager& operator=(const CDeviceAccessManager&) = delete;

    // The seven device operations on `device`, as each protocol carries them; true when the
    // printer reported success. The caller hands in the record (a copy it owns for the call).
    virtual bool ReadDeviceInformation(const Device_Dev& device) = 0; // printheads, then identity and versions
    virtual bool ReadInkLevels(const Device_Dev& device) = 0;
    virtual bool PrintDiagnosticsPage(const Device_Dev& device) = 0;
    virtual bool PrintQualityPage(const Device_Dev& device) = 0;
    virtual bool CleanPrintheads(const Device_Dev& device) = 0;
    virtual bool AlignPrintheads(const Device_Dev& device) = 0;
    virtual bool ReadDeviceStatus(const Device_Dev& device) = 0;

    // Resets the device information and the spare ink to the not-available text and empties
    // the ink, printhead, status and alert lists. Leaves the printer region text alone.
    void ResetDeviceData();
    void ResetDeviceInfo(const std::wstring& text) { ::ResetDeviceInfo(records_.deviceInfo, text); }

    // A consistent copy for the pages.
    DeviceRecords Records() const;
    // Held by a reader around its work on the records (recursive: readers may call readers).
    std::unique_lock<std::recursive_mutex> LockRecords() const { return std::unique_lock(lock_); }
    // Direct access; hold LockRecords() while writing from a worker.
    DeviceRecords& MutableRecords() { return records_; }

    // The fault of the last operation that failed; the caller clears it before an operation.
    DeviceFault LastFault() const { return lastFault_.load(); }
    void SetLastFault(DeviceFault fault) { lastFault_.store(fault); }

    // Job fields (used by Sable jobs; the Quill managers carry them unused).
    HANDLE JobEvent() const { return jobEvent_.get(); }
    bool JobCompleted() const { return jobCompleted_.load(); }
    void SetJobCompleted(bool completed) { jobCompleted_.store(completed); }
    std::string JobLocation() const;
    void SetJobLocation(const std::string& location);

protected:
    mutable std::recursive_mutex lock_;
    DeviceRecords records_;

private:
    NGWinApi::UniqueHandle jobEvent_;  // auto-reset, initially clear, named "Listen_Event"
    std::atomic<bool> jobCompleted_{false};
    std::atomic<DeviceFault> lastFault_{DeviceFault::None};
    mutable std::mutex jobLocationLock_;
    std::string jobLocation_;
};
