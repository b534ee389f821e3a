#pragma once
// Simulated USB printers behind the device I/O wrapper, for Windows tests: SetupAPI lists
// their interfaces, CreateFileW opens them, and I/O on their handles behaves as on a printer
// class driver, with the sharing rules of CreateFileW and overlapped completion through the
// caller's OVERLAPPED and event. Paths that are no device interface and handles that are
// not ours go to the system, so the code under test can write its ordinary files through
// the same wrapper. Thread-safe; a worker thread completes pending I/O.
//
// Where a driver could behave otherwise, this fake does as follows:
// - A read or write on a handle opened without FILE_FLAG_OVERLAPPED blocks the caller (and
//   then signals the event of an OVERLAPPED passed along). When the printer has nothing to
//   hand out or does not take the bytes within the synchronous time-out, the call ends as a
//   class driver's time-out does: a read with no byte, a write with ERROR_SEM_TIMEOUT.
// - On an overlapped handle such I/O returns ERROR_IO_PENDING and completes when the
//   printer is ready, or for silence and a stall only through CancelIo (the calling
//   thread's I/O), CloseHandle (all of the handle's I/O) or removal.
// - Every printer has two interfaces, each listed under its own interface class and named
//   by a path that ends with that class, as Windows reports them: the printing class
//   interface (the path Plug returns) and the maker's channel under the printer's setup
//   class (USB, or imaging). Both reach the same printer; closing and removal apply to both.
// - GetFileSize reports the bytes waiting to be read; with none it fails with
//   ERROR_INVALID_FUNCTION, as a device that keeps no size does, or reports 0 when the
//   printer says so (`usb-idle-size = zero`), as other drivers do.
// - After Unplug, the device's handles fail every call with ERROR_DEVICE_NOT_CONNECTED and
//   so does its pending I/O; CloseHandle still works; opening the path fails with
//   ERROR_FILE_NOT_FOUND, as for any device interface path that is not plugged.
// - IOCTL_PAR_QUERY_DEVICE_ID answers UsbPrinter::QueryDeviceId (ERROR_INSUFFICIENT_BUFFER
//   when it does not fit); other control codes fail with ERROR_INVALID_FUNCTION.
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "sim/UsbPrinter.h"
#include "winapi/DeviceIoApi.h"

namespace sim {

// The setup class under which a printer's interface is listed.
enum class UsbSetupClass { Usb, Imaging };

// {36FC9E60-C465-11CF-8056-444553540000}
extern const GUID kUsbSetupClassGuid;
// {6BDD1FC6-810F-11D0-BEC7-08002BE2092F}
extern const GUID kImagingSetupClassGuid;
// {28D78FAD-5A12-11D1-AE5B-0000F803A8C2}: the USB printing device interface class.
extern const GUID kUsbPrintInterfaceGuid;

class FakeUsbDeviceIo : public NGWinApi::CDeviceIoApi {
public:
    static constexpr std::chrono::milliseconds kDefaultSyncTimeout{500};

    FakeUsbDeviceIo();
    ~FakeUsbDeviceIo() override;
    FakeUsbDeviceIo(const FakeUsbDeviceIo&) = delete;
    FakeUsbDeviceIo& operator=(const FakeUsbDeviceIo&) = delete;

    // Plugs a printer in and returns its printing class interface path. A path already
    // plugged is refused with std::invalid_argument.
    std::wstring Plug(std::shared_ptr<UsbPrinter> printer, UsbSetupClass setupClass = UsbSetupClass::Usb);
    void Unplug(const std::wstring& interfacePath);
    void SetSyncTimeout(std::chrono::milliseconds timeout);
    // Handles of ours not closed yet.
    size_t OpenHandles() const;

    HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR enumerator, HWND parent, DWORD flags) override;
    BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA device, const GUID* interfaceClass, DWORD index,
                                     PSP_DEVICE_INTERFACE_DATA data) override;
    BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                          PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD detailSize,
                                          PDWORD requiredSize, PSP_DEVINFO_DATA device) override;
    BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) override;
    HANDLE CreateFileW(LPCWSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES attributes,
                       DWORD disposition, DWORD flags, HANDLE templateFile) override;
    BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped) override;
    BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) override;
    BOOL GetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait) override;
    DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) override;
    BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                         LPDWORD returned, LPOVERLAPPED overlapped) override;
    BOOL CancelIo(HANDLE file) override;
    BOOL CloseHandle(HANDLE handle) override;

private:
    struct Device;
    struct Handle;
    struct Operation;
    struct DeviceSet;

    bool IsOurHandle(HANDLE handle) const;
    bool IsOurSet(HDEVINFO set) const;
    // The open handle, or null after SetLastError (closed, or its device removed).
    Handle* Usable(HANDLE handle);
    // Starts a read or write and, unless it is left pending, finishes it.
    BOOL Transfer(HANDLE file, std::shared_ptr<Operation> operation, LPOVERLAPPED overlapped, LPDWORD transferred);
    void Progress(Device& device, Clock::time_point now);
    bool TryWrite(Operation& operation, Clock::time_point now);
    void Complete(Operation& operation, ULONG_PTR status, DWORD bytes);
    // Completes the queued operations that `match` selects.
    template <class Match>
    void Abort(Device& device, ULONG_PTR status, Match match);
    // Cancels the calling thread's overlapped I/O on the handle; with `close`, all of its
    // I/O, and closes it.
    BOOL Cancel(HANDLE handle, bool close);
    void Work();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::wstring, std::shared_ptr<Device>> plugged_; // by upper-case path, each printer twice
    std::map<HANDLE, Handle> handles_;
    std::map<HDEVINFO, std::unique_ptr<DeviceSet>> sets_;
    uintptr_t nextHandle_;
    uintptr_t nextSet_;
    size_t pending_ = 0;
    std::chrono::milliseconds syncTimeout_ = kDefaultSyncTimeout;
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace sim
