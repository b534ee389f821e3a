#pragma once
// The device status test: is the printer in a condition to print, and if not, which condition?
// Leaves the answer in the record's statusCode and adfStatus and in the manager's verdict.
#include <cstdint>

#include "app/engine/DiagnosticTest.h"
#include "app/engine/TestContext.h"


class CDeviceStatusTest : public CTest {
public:
    explicit CDeviceStatusTest(CTestContext& context) : context_(context) {}

    // 1 passed, 0 failed.
    int32_t Run(Device_Dev& device) override;

private:
    int32_t RunUsb(Device_Dev& device);
    int32_t RunNetworkSable(Device_Dev& device);
    int32_t RunNetworkQuill(Device_Dev& device);

    CTestContext& context_;
};

class CUtil {
public:
    // The Sable status flag of the selected printer for the feeder check of a USB Sable device:
    // true when a status was read and its flag is not 0.
    static bool GetStatusFlagForMerrowDevice(CTestContext& context, const Device_Dev& device, int32_t& flag);
};
