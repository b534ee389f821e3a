#pragma once
// String-table keys of the texts that explain a device status flag.
#include <cstdint>
#include <string>

// "TSY_DEVID_STATUS_MSG_07" style for printer conditions (two digits below 10), and
// "ADF_TSY_DEVID_STATUS_MSG_3" (never padded) for document feeder conditions.
std::wstring StatusMessageKey(int32_t flag, bool adf);
// The longer explanation: "TSY_DEVICE_ERROR_MSG_07", "ADF_TSY_DEVICE_ERROR_MSG_3".
std::wstring DeviceErrorMessageKey(int32_t flag, bool adf);
