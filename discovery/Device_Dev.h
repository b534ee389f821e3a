#pragma once
// One printer the tool can diagnose, as enumeration or the network search found it.
#include <cstdint>
#include <string>
#include <vector>

struct Device_Dev {
    std::wstring deviceName;
    std::wstring friendlyName; // for an installed printer, the spooler's name for it
    std::wstring address;      // USB: device interface path; network: IPv4 address text
    std::wstring productId;    // USB product id in hexadecimal digits
    bool statusShown = false;  // the power-loss form of the status page was shown
    bool adfStatus = false;    // statusCode is a document feeder condition
    std::wstring printFile;
    int32_t statusCode = -1;
    std::wstring printerName;  // print queue; empty when there is none
    bool isNetwork = false;
    std::wstring hardwareId;   // "VID_0A7E&PID_" + productId, USB only
    uint32_t driverInstalled = 0; // a 16-bit flag kept in 32 bits
};

using DeviceList = std::vector<Device_Dev>;

inline constexpr wchar_t kHardwareIdPrefix[] = L"VID_0A7E&PID_";
