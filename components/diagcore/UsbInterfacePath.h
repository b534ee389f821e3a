#pragma once
// What a USB device interface path says about its printer, such as
// \\?\USB#VID_0A7E&PID_1812#CN1812U01#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}.
// Plain C++ without system headers.
#include <string>
#include <string_view>

namespace diagcore {

inline constexpr wchar_t kMakerVendorId[] = L"0A7E";

struct UsbInterfaceIdentity {
    std::wstring vendorId;  // four hexadecimal digits, upper case; empty when the path has none
    std::wstring productId; // as above
    std::wstring serialNumber; // the instance part of the path; empty for an instance the system made up
    std::wstring interfaceClass; // the trailing "{...}", as written
};

UsbInterfaceIdentity ReadUsbInterfacePath(std::wstring_view path);

// The device an interface path belongs to: the path without its last "#{class}" part, so
// two interfaces of one printer give the same text.
std::wstring_view UsbDeviceOfInterface(std::wstring_view path);

// "VID_0A7E&PID_1812"; empty without both ids.
std::wstring UsbHardwareId(const UsbInterfaceIdentity& identity);

// The name of the interface's key under ...\Control\DeviceClasses\{class}: the path with
// its "\\?\" turned into "##?#".
std::wstring DeviceClassesKeyName(std::wstring_view path);

// The spooler port a USB port monitor makes from a base name and a port number ("USB", 1
// -> "USB001").
std::wstring UsbPortName(std::wstring_view baseName, unsigned long portNumber);

bool ContainsNoCase(std::wstring_view text, std::wstring_view part);
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);

} // namespace diagcore
