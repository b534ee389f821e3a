#pragma once
// The device status test: is the printer in a condition to print, and if not, which condition?
// Leaves the answer in the record's statusCode and adfStatus and in the manager's verdict.
#include <cstdint>

#include "app/DiagnosticTest.h"

class CDiagnosticMgr;

class CDeviceStatusTest : public CTest {
public:
    explicit CDeviceStatusTest(CDiagnosticMgr& manager) : manager_(manager) {}

    // 1 passed, 0 failed.
    int32_t Run(Device_Dev& device) override;

private:
    int32_t RunUsb(Device_Dev& device);
    int32_t RunNetworkSable(Device_Dev& device);
    int32_t RunNetworkQuill(Device_Dev& device);

    CDiagnosticMgr& manager_;
};

class CUtil {
public:
    // The Sable status flag of the selected printer for the feeder check of a USB Sable device:
    // true when a status was read and its flag is not 0.
    static bool GetStatusFlagForMerrowDevice(CDiagnosticMgr& manager, int32_t& flag);
};
