#include "winapi/DeviceIoApi.h"

#include "winapi/ApiSlot.h"

namespace NGWinApi {

HDEVINFO CDeviceIoApi::SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR enumerator, HWND parent, DWORD flags)
{
    return ::SetupDiGetClassDevsW(classGuid, enumerator, parent, flags);
}

BOOL CDeviceIoApi::SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA device, const GUID* interfaceClass,
                                               DWORD index, PSP_DEVICE_INTERFACE_DATA data)
{
    return ::SetupDiEnumDeviceInterfaces(set, device, interfaceClass, index, data);
}

BOOL CDeviceIoApi::SetupDiGetDeviceInterfaceDetailW(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                                    PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD detailSize,
                                                    PDWORD requiredSize, PSP_DEVINFO_DATA device)
{
    return ::SetupDiGetDeviceInterfaceDetailW(set, data, detail, detailSize, requiredSize, device);
}

BOOL CDeviceIoApi::SetupDiDestroyDeviceInfoList(HDEVINFO set) { return ::SetupDiDestroyDeviceInfoList(set); }

HANDLE CDeviceIoApi::CreateFileW(LPCWSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES attributes,
                                 DWORD disposition, DWORD flags, HANDLE templateFile)
{
    return ::CreateFileW(fileName, access, shareMode, attributes, disposition, flags, templateFile);
}

BOOL CDeviceIoApi::ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped)
{
    return ::ReadFile(file, buffer, size, read, overlapped);
}

BOOL CDeviceIoApi::WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    return ::WriteFile(file, buffer, size, written, overlapped);
}

BOOL CDeviceIoApi::GetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait)
{
    return ::GetOverlappedResult(file, overlapped, transferred, wait);
}

DWORD CDeviceIoApi::GetFileSize(HANDLE file, LPDWORD sizeHigh) { return ::GetFileSize(file, sizeHigh); }

BOOL CDeviceIoApi::DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                                   LPDWORD returned, LPOVERLAPPED overlapped)
{
    return ::DeviceIoControl(device, code, in, inSize, out, outSize, returned, overlapped);
}

BOOL CDeviceIoApi::CancelIo(HANDLE file) { return ::CancelIo(file); }

BOOL CDeviceIoApi::CloseHandle(HANDLE handle) { return ::CloseHandle(handle); }

namespace {
ApiSlot<CDeviceIoApi> g_deviceIo;
} // namespace

CDeviceIoApi& DeviceIo() { return g_deviceIo.Get(); }

CDeviceIoApi* Replace(CDeviceIoApi* api) { return g_deviceIo.Replace(api); }

} // namespace NGWinApi
