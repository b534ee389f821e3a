#pragma once
// Device interface calls: SetupAPI interface lookup and file I/O on interface paths.
// Device code reaches USB printers only through DeviceIo(), so tests can plug in a
// simulated printer; calls on ordinary files made through it reach the system as usual.
#include <windows.h>
#include <setupapi.h>

#include <memory>

#include "winapi/NGWinApi.h"

namespace NGWinApi {

// The IEEE 1284 device identification query of the printer class drivers.
constexpr DWORD kIoctlParQueryDeviceId = 0x16000C;

class CDeviceIoApi {
public:
    virtual HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR enumerator, HWND parent, DWORD flags);
    virtual BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA device, const GUID* interfaceClass,
                                             DWORD index, PSP_DEVICE_INTERFACE_DATA data);
    virtual BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                                  PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD detailSize,
                                                  PDWORD requiredSize, PSP_DEVINFO_DATA device);
    virtual BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set);
    virtual HANDLE CreateFileW(LPCWSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES attributes,
                               DWORD disposition, DWORD flags, HANDLE templateFile);
    virtual BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped);
    virtual BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);
    virtual BOOL GetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait);
    virtual DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);
    virtual BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                                 LPDWORD returned, LPOVERLAPPED overlapped);
    virtual BOOL CancelIo(HANDLE file);
    virtual BOOL CloseHandle(HANDLE handle);
    virtual ~CDeviceIoApi() = default;
};

CDeviceIoApi& DeviceIo();
CDeviceIoApi* Replace(CDeviceIoApi* api);

// A handle from DeviceIo().CreateFileW, closed through DeviceIo() (a simulated device's
// handle means nothing to the kernel). INVALID_HANDLE_VALUE is held as no handle.
class UniqueDeviceHandle {
public:
    UniqueDeviceHandle() = default;
    explicit UniqueDeviceHandle(HANDLE handle) { reset(handle); }

    HANDLE get() const { return owner_.get(); }
    bool valid() const { return owner_ != nullptr; }
    explicit operator bool() const { return valid(); }
    HANDLE release() { return owner_.release(); }
    void reset(HANDLE handle = nullptr) { owner_.reset(handle == INVALID_HANDLE_VALUE ? nullptr : handle); }

private:
    struct Closer {
        void operator()(HANDLE handle) const { DeviceIo().CloseHandle(handle); }
    };
    std::unique_ptr<void, Closer> owner_;
};

// A device information set from DeviceIo().SetupDiGetClassDevsW.
class UniqueDeviceInfoList {
public:
    explicit UniqueDeviceInfoList(HDEVINFO set) : set_(set) {}
    ~UniqueDeviceInfoList()
    {
        if (valid())
            DeviceIo().SetupDiDestroyDeviceInfoList(set_);
    }
    UniqueDeviceInfoList(const UniqueDeviceInfoList&) = delete;
    UniqueDeviceInfoList& operator=(const UniqueDeviceInfoList&) = delete;

    HDEVINFO get() const { return set_; }
    bool valid() const { return set_ != nullptr && set_ != INVALID_HANDLE_VALUE; }

private:
    HDEVINFO set_;
};

} // namespace NGWinApi
