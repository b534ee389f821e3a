#pragma once
// The device operations the information tabs, the services page and the console run on the
// selected printer, each through the access manager that serves it.
#include <cstdint>

#include "app/engine/DiagnosticMgr.h"


enum class DeviceOperation : int32_t {
    None = 0,
    ReadDeviceInfo = 1,
    ReadInkLevels = 2,
    PrintDiagnosticsPage = 3,
    PrintQualityPage = 4,
    CleanPrintheads = 5,
    AlignPrintheads = 6,
    ReadDeviceStatus = 7,
};

// The manager's protocol choice, except that a USB printer whose product id contains "7811" is
// always served by Quill over USB.
DeviceProtocol DeviceOperationPath(const Device_Dev& device);

// Resets the records of all three managers to the not-available texts.
void ResetAllDeviceData(CDiagnosticMgr& manager);

// Runs `operation` on a copy of the selected record; true when it reported success. No printer selected,
// no operation or an unknown code: false.
bool RunDeviceOperation(CDiagnosticMgr& manager, int32_t operation);
inline bool RunDeviceOperation(CDiagnosticMgr& manager, DeviceOperation operation)
{
    return RunDeviceOperation(manager, static_cast<int32_t>(operation));
}
