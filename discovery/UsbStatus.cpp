#include "discovery/UsbStatus.h"

#include "discovery/DeviceIdStatus.h"
#include "winapi/DeviceIoApi.h"

using namespace NGWinApi;

namespace {

constexpr DWORD kIdentificationBufferBytes = 1024;
constexpr DWORD kIdentificationRequestBytes = 1020;

} // namespace

bool ReadUsbIdentification(const std::wstring& interfacePath, std::wstring& identification)
{
    UniqueDeviceHandle device(DeviceIo().CreateFileW(interfacePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!device)
        return false;
    char buffer[kIdentificationBufferBytes] = {};
    DWORD returned = 0;
    if (!DeviceIo().DeviceIoControl(device.get(), kIoctlParQueryDeviceId, buffer, kIdentificationRequestBytes, buffer,
                                    kIdentificationRequestBytes, &returned, nullptr))
        return false;
    // A driver reporting more than it was given must not make us read past the buffer.
    const std::string_view text =
        IdentificationBytes(std::string_view(buffer, returned < kIdentificationRequestBytes ? returned
                                                                                            : kIdentificationRequestBytes));
    const int count = static_cast<int>(text.size());
    identification.clear();
    if (count == 0)
        return true;
    int wideCount = Kernel().MultiByteToWideChar(CP_ACP, 0, text.data(), count, nullptr, 0);
    identification.resize(static_cast<size_t>(wideCount));
    Kernel().MultiByteToWideChar(CP_ACP, 0, text.data(), count, identification.data(), wideCount);
    // Bytes after a terminating zero are not part of the text.
    identification.resize(identification.find(L'\0') == std::wstring::npos ? identification.size()
                                                                             : identification.find(L'\0'));
    return true;
}

bool ReadUsbStatus(const std::wstring& interfacePath, int32_t& code)
{
    std::wstring identification;
    if (!ReadUsbIdentification(interfacePath, identification))
        return false;
    code = StatusCodeFromIdentification(identification);
    return true;
}
