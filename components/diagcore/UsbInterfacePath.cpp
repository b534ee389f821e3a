#include "components/diagcore/UsbInterfacePath.h"

#include <algorithm>
#include <cwctype>
#include <vector>

namespace diagcore {

namespace {

wchar_t Upper(wchar_t c)
{
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool IsHexDigit(wchar_t c)
{
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
}

// The four hexadecimal digits after `key` ("VID_"), upper case.
std::wstring IdAfter(std::wstring_view part, std::wstring_view key)
{
    for (size_t at = 0; at + key.size() + 4 <= part.size(); ++at) {
        if (!EqualsNoCase(part.substr(at, key.size()), key))
            continue;
        std::wstring id;
        for (size_t i = at + key.size(); i < at + key.size() + 4 && IsHexDigit(part[i]); ++i)
            id += Upper(part[i]);
        if (id.size() == 4)
            return id;
    }
    return {};
}

std::vector<std::wstring_view> SplitHash(std::wstring_view path)
{
    std::vector<std::wstring_view> parts;
    size_t at = 0;
    for (;;) {
        size_t hash = path.find(L'#', at);
        parts.push_back(path.substr(at, hash == std::wstring_view::npos ? std::wstring_view::npos : hash - at));
        if (hash == std::wstring_view::npos)
            return parts;
        at = hash + 1;
    }
}

} // namespace

bool EqualsNoCase(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}

bool ContainsNoCase(std::wstring_view text, std::wstring_view part)
{
    if (part.empty())
        return true;
    auto found = std::search(text.begin(), text.end(), part.begin(), part.end(),
                             [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
    return found != text.end();
}

UsbInterfaceIdentity ReadUsbInterfacePath(std::wstring_view path)
{
    UsbInterfaceIdentity identity;
    std::vector<std::wstring_view> parts = SplitHash(path);
    // \\?\USB, VID_xxxx&PID_xxxx[&MI_xx], instance, {class}
    if (parts.size() >= 2) {
        identity.vendorId = IdAfter(parts[1], L"VID_");
        identity.productId = IdAfter(parts[1], L"PID_");
    }
    if (parts.size() >= 4) {
        // Instance ids the system makes up for devices without a serial number carry "&".
        if (parts[2].find(L'&') == std::wstring_view::npos)
            identity.serialNumber = parts[2];
        if (!parts.back().empty() && parts.back().front() == L'{')
            identity.interfaceClass = parts.back();
    }
    return identity;
}

std::wstring_view UsbDeviceOfInterface(std::wstring_view path)
{
    const size_t hash = path.rfind(L'#');
    if (hash == std::wstring_view::npos || hash + 1 >= path.size() || path[hash + 1] != L'{')
        return path;
    return path.substr(0, hash);
}

std::wstring UsbHardwareId(const UsbInterfaceIdentity& identity)
{
    if (identity.vendorId.empty() || identity.productId.empty())
        return {};
    return L"VID_" + identity.vendorId + L"&PID_" + identity.productId;
}

std::wstring DeviceClassesKeyName(std::wstring_view path)
{
    std::wstring name(path);
    if (name.rfind(L"\\\\?\\", 0) == 0)
        name.replace(0, 4, L"##?#");
    return name;
}

std::wstring UsbPortName(std::wstring_view baseName, unsigned long portNumber)
{
    std::wstring number = std::to_wstring(portNumber);
    if (number.size() < 3)
        number.insert(0, 3 - number.size(), L'0');
    return std::wstring(baseName.empty() ? L"USB" : baseName) + number;
}

} // namespace diagcore
