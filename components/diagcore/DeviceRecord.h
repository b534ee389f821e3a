#pragma once
// What the component knows of one printer: the values its device objects hand out.
#include <string>

namespace diagcore {

// IPrinterDevice::ConnectionType values (the type library's KeloConnectionType).
inline constexpr long kConnectionLocal = 0;
inline constexpr long kConnectionUsb = 1;
inline constexpr long kConnectionNetwork = 2;

struct DeviceRecord {
    std::wstring manufacturer;
    std::wstring name;          // model name
    long connectionType = kConnectionLocal;
    bool driverInstalled = false;
    std::wstring hardwareId;    // "VID_0A7E&PID_1812" for USB printers
    std::wstring portName;      // the bound queue's spooler port
    std::wstring ipAddress;     // network printers
    std::wstring productName;   // second name: the model as the device identifies itself
    std::wstring serialNumber;
    std::wstring friendlyName;
    std::wstring driverName;
    std::wstring devicePath;    // USB device interface path
    std::wstring productId;     // USB product id, hexadecimal digits
    std::wstring printerName;   // the bound print queue; empty when there is none
    long flags = 0;             // KeloDeviceFlags
};

} // namespace diagcore
