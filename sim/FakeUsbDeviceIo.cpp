#include "sim/FakeUsbDeviceIo.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <cwctype>
#include <deque>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace sim {

const GUID kUsbSetupClassGuid = {0x36FC9E60, 0xC465, 0x11CF, {0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID kImagingSetupClassGuid = {0x6BDD1FC6, 0x810F, 0x11D0, {0xBE, 0xC7, 0x08, 0x00, 0x2B, 0xE2, 0x09, 0x2F}};
const GUID kUsbPrintInterfaceGuid = {0x28D78FAD, 0x5A12, 0x11D1, {0xAE, 0x5B, 0x00, 0x00, 0xF8, 0x03, 0xA8, 0xC2}};

namespace {

// I/O status as the kernel leaves it in OVERLAPPED::Internal.
constexpr ULONG_PTR kStatusSuccess = 0;
constexpr ULONG_PTR kStatusPending = 0x103;
constexpr ULONG_PTR kStatusCancelled = 0xC0000120;
constexpr ULONG_PTR kStatusDeviceNotConnected = 0xC000009D;
constexpr ULONG_PTR kStatusIoTimeout = 0xC00000B5;

// Handle and set values far above anything the system gives a process, so a value of ours
// never names a real object, and closing one through the kernel fails loudly.
constexpr uintptr_t kFirstHandle = 0x7E000000;
constexpr uintptr_t kFirstSet = 0x7D000000;
constexpr uintptr_t kValueRange = 0x00800000;
constexpr uintptr_t kValueStep = 4;

constexpr auto kPollInterval = std::chrono::milliseconds(2);

DWORD ErrorOf(ULONG_PTR status)
{
    switch (status) {
    case kStatusSuccess:
        return ERROR_SUCCESS;
    case kStatusCancelled:
        return ERROR_OPERATION_ABORTED;
    case kStatusDeviceNotConnected:
        return ERROR_DEVICE_NOT_CONNECTED;
    case kStatusIoTimeout:
        return ERROR_SEM_TIMEOUT;
    default:
        return ERROR_GEN_FAILURE;
    }
}

bool InRange(const void* value, uintptr_t first)
{
    auto number = reinterpret_cast<uintptr_t>(value);
    return number >= first && number < first + kValueRange && (number - first) % kValueStep == 0;
}

std::wstring Upper(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

bool IsDeviceInterfacePath(const wchar_t* name)
{
    if (name == nullptr)
        return false;
    std::wstring_view path(name);
    return (path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\")) && path.find(L"#{") != path.npos;
}

BOOL Fail(DWORD error)
{
    ::SetLastError(error);
    return FALSE;
}

} // namespace

struct FakeUsbDeviceIo::Operation {
    std::shared_ptr<Device> device;
    HANDLE handle = nullptr;
    bool isRead = false;
    char* buffer = nullptr; // where a read delivers
    DWORD size = 0;
    std::string data; // what a write carries
    OVERLAPPED* overlapped = nullptr;
    bool overlappedHandle = false;
    DWORD thread = 0;
    bool done = false;
    ULONG_PTR status = kStatusPending;
    DWORD bytes = 0;
};

struct FakeUsbDeviceIo::Device {
    std::wstring path;        // the printing class interface
    std::wstring channelPath; // the maker's channel, under its setup class
    std::shared_ptr<UsbPrinter> printer;
    GUID setupClass{};
    bool present = true;
    std::deque<std::shared_ptr<Operation>> reads;
    std::deque<std::shared_ptr<Operation>> writes;
};

struct FakeUsbDeviceIo::Handle {
    std::shared_ptr<Device> device;
    bool read = false;
    bool write = false;
    DWORD share = 0;
    bool overlapped = false;
    bool printing = false; // a print job has begun on this handle

    bool ConflictsWith(const Handle& other) const
    {
        auto refuses = [](const Handle& open, const Handle& next) {
            return (next.read && !(open.share & FILE_SHARE_READ)) || (next.write && !(open.share & FILE_SHARE_WRITE));
        };
        return refuses(*this, other) || refuses(other, *this);
    }
};

struct FakeUsbDeviceIo::DeviceSet {
    struct Entry {
        std::wstring path;
        GUID interfaceClass;
    };
    std::vector<Entry> interfaces;
};

FakeUsbDeviceIo::FakeUsbDeviceIo() : nextHandle_(kFirstHandle), nextSet_(kFirstSet), worker_([this] { Work(); }) {}

FakeUsbDeviceIo::~FakeUsbDeviceIo()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        for (auto& [value, handle] : handles_)
            Abort(*handle.device, kStatusCancelled, [](const Operation&) { return true; });
        changed_.notify_all();
    }
    worker_.join();
}

std::wstring FakeUsbDeviceIo::Plug(std::shared_ptr<UsbPrinter> printer, UsbSetupClass setupClass)
{
    auto wide = [](const std::string& narrow) { return std::wstring(narrow.begin(), narrow.end()); };
    auto device = std::make_shared<Device>();
    const bool imaging = setupClass == UsbSetupClass::Imaging;
    device->path = wide(printer->InterfacePath());
    device->channelPath = wide(printer->InterfacePathFor(imaging ? kImagingSetupClassText : kUsbSetupClassText));
    device->setupClass = imaging ? kImagingSetupClassGuid : kUsbSetupClassGuid;
    device->printer = std::move(printer);
    std::lock_guard lock(mutex_);
    if (plugged_.contains(Upper(device->path)) || plugged_.contains(Upper(device->channelPath)))
        throw std::invalid_argument("a printer with this interface path is plugged already");
    plugged_[Upper(device->path)] = device;
    plugged_[Upper(device->channelPath)] = device;
    return device->path;
}

void FakeUsbDeviceIo::Unplug(const std::wstring& interfacePath)
{
    std::lock_guard lock(mutex_);
    auto found = plugged_.find(Upper(interfacePath));
    if (found == plugged_.end())
        return;
    std::shared_ptr<Device> device = found->second;
    plugged_.erase(Upper(device->path));
    plugged_.erase(Upper(device->channelPath));
    device->present = false;
    Abort(*device, kStatusDeviceNotConnected, [](const Operation&) { return true; });
}

void FakeUsbDeviceIo::SetSyncTimeout(std::chrono::milliseconds timeout)
{
    std::lock_guard lock(mutex_);
    syncTimeout_ = timeout;
}

size_t FakeUsbDeviceIo::OpenHandles() const
{
    std::lock_guard lock(mutex_);
    return handles_.size();
}

bool FakeUsbDeviceIo::IsOurHandle(HANDLE handle) const { return InRange(handle, kFirstHandle); }

bool FakeUsbDeviceIo::IsOurSet(HDEVINFO set) const { return InRange(set, kFirstSet); }

HDEVINFO FakeUsbDeviceIo::SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR, HWND, DWORD flags)
{
    auto set = std::make_unique<DeviceSet>();
    bool everyClass = classGuid == nullptr || (flags & DIGCF_ALLCLASSES) != 0;
    std::lock_guard lock(mutex_);
    if ((flags & DIGCF_DEVICEINTERFACE) != 0) {
        // Each interface under its own class, as its path's last part names it.
        for (const auto& [key, device] : plugged_) {
            if (key != Upper(device->path))
                continue; // the same printer under its channel's path
            if (everyClass || IsEqualGUID(*classGuid, kUsbPrintInterfaceGuid))
                set->interfaces.push_back({device->path, kUsbPrintInterfaceGuid});
            if (everyClass || IsEqualGUID(*classGuid, device->setupClass))
                set->interfaces.push_back({device->channelPath, device->setupClass});
        }
    }
    auto value = reinterpret_cast<HDEVINFO>(nextSet_);
    nextSet_ = kFirstSet + (nextSet_ - kFirstSet + kValueStep) % kValueRange;
    sets_[value] = std::move(set);
    return value;
}

BOOL FakeUsbDeviceIo::SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA device, const GUID* interfaceClass,
                                                  DWORD index, PSP_DEVICE_INTERFACE_DATA data)
{
    if (!IsOurSet(set))
        return CDeviceIoApi::SetupDiEnumDeviceInterfaces(set, device, interfaceClass, index, data);
    std::lock_guard lock(mutex_);
    auto found = sets_.find(set);
    if (found == sets_.end())
        return Fail(ERROR_INVALID_HANDLE);
    if (data == nullptr || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA))
        return Fail(ERROR_INVALID_USER_BUFFER);
    if (interfaceClass == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    const auto& interfaces = found->second->interfaces;
    DWORD seen = 0;
    for (size_t at = 0; at < interfaces.size(); ++at) {
        if (!IsEqualGUID(interfaces[at].interfaceClass, *interfaceClass) || seen++ != index)
            continue;
        data->InterfaceClassGuid = *interfaceClass;
        data->Flags = SPINT_ACTIVE;
        data->Reserved = at;
        return TRUE;
    }
    return Fail(ERROR_NO_MORE_ITEMS);
}

BOOL FakeUsbDeviceIo::SetupDiGetDeviceInterfaceDetailW(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                                       PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD detailSize,
                                                       PDWORD requiredSize, PSP_DEVINFO_DATA device)
{
    if (!IsOurSet(set))
        return CDeviceIoApi::SetupDiGetDeviceInterfaceDetailW(set, data, detail, detailSize, requiredSize, device);
    std::lock_guard lock(mutex_);
    auto found = sets_.find(set);
    if (found == sets_.end())
        return Fail(ERROR_INVALID_HANDLE);
    const auto& interfaces = found->second->interfaces;
    if (data == nullptr || data->Reserved >= interfaces.size())
        return Fail(ERROR_INVALID_PARAMETER);
    const DeviceSet::Entry& entry = interfaces[data->Reserved];
    constexpr size_t pathOffset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);
    size_t pathBytes = (entry.path.size() + 1) * sizeof(WCHAR);
    auto needed = static_cast<DWORD>(pathOffset + pathBytes);
    if (requiredSize != nullptr)
        *requiredSize = needed;
    if (detail == nullptr)
        return Fail(detailSize == 0 ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_USER_BUFFER);
    if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W))
        return Fail(ERROR_INVALID_USER_BUFFER);
    if (detailSize < needed)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    if (device != nullptr) {
        if (device->cbSize != sizeof(SP_DEVINFO_DATA))
            return Fail(ERROR_INVALID_USER_BUFFER);
        device->ClassGuid = entry.interfaceClass;
        device->DevInst = static_cast<DWORD>(data->Reserved + 1);
        device->Reserved = 0;
    }
    // DevicePath is declared with one element; the path runs on into the caller's block.
    std::memcpy(reinterpret_cast<char*>(detail) + pathOffset, entry.path.c_str(), pathBytes);
    return TRUE;
}

BOOL FakeUsbDeviceIo::SetupDiDestroyDeviceInfoList(HDEVINFO set)
{
    if (!IsOurSet(set))
        return CDeviceIoApi::SetupDiDestroyDeviceInfoList(set);
    std::lock_guard lock(mutex_);
    return sets_.erase(set) == 1 ? TRUE : Fail(ERROR_INVALID_HANDLE);
}

HANDLE FakeUsbDeviceIo::CreateFileW(LPCWSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES attributes,
                                    DWORD disposition, DWORD flags, HANDLE templateFile)
{
    if (!IsDeviceInterfacePath(fileName))
        return CDeviceIoApi::CreateFileW(fileName, access, shareMode, attributes, disposition, flags, templateFile);
    std::lock_guard lock(mutex_);
    auto found = plugged_.find(Upper(fileName));
    if (found == plugged_.end()) {
        ::SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    Handle opened;
    opened.device = found->second;
    opened.read = (access & (GENERIC_READ | GENERIC_ALL | FILE_READ_DATA)) != 0;
    opened.write = (access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA)) != 0;
    opened.share = shareMode;
    opened.overlapped = (flags & FILE_FLAG_OVERLAPPED) != 0;
    for (const auto& [value, open] : handles_) {
        if (open.device == opened.device && open.ConflictsWith(opened)) {
            ::SetLastError(ERROR_SHARING_VIOLATION);
            return INVALID_HANDLE_VALUE;
        }
    }
    auto value = reinterpret_cast<HANDLE>(nextHandle_);
    nextHandle_ = kFirstHandle + (nextHandle_ - kFirstHandle + kValueStep) % kValueRange;
    handles_[value] = std::move(opened);
    return value;
}

FakeUsbDeviceIo::Handle* FakeUsbDeviceIo::Usable(HANDLE handle)
{
    auto found = handles_.find(handle);
    if (found == handles_.end()) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!found->second.device->present) {
        ::SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return nullptr;
    }
    return &found->second;
}

BOOL FakeUsbDeviceIo::ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped)
{
    if (!IsOurHandle(file))
        return CDeviceIoApi::ReadFile(file, buffer, size, read, overlapped);
    auto operation = std::make_shared<Operation>();
    operation->isRead = true;
    operation->buffer = static_cast<char*>(buffer);
    operation->size = size;
    return Transfer(file, std::move(operation), overlapped, read);
}

BOOL FakeUsbDeviceIo::WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    if (!IsOurHandle(file))
        return CDeviceIoApi::WriteFile(file, buffer, size, written, overlapped);
    auto operation = std::make_shared<Operation>();
    operation->data.assign(static_cast<const char*>(buffer), size);
    return Transfer(file, std::move(operation), overlapped, written);
}

BOOL FakeUsbDeviceIo::Transfer(HANDLE file, std::shared_ptr<Operation> operation, LPOVERLAPPED overlapped,
                               LPDWORD transferred)
{
    if (transferred != nullptr)
        *transferred = 0;
    std::unique_lock lock(mutex_);
    Handle* handle = Usable(file);
    if (handle == nullptr)
        return FALSE;
    if (!(operation->isRead ? handle->read : handle->write))
        return Fail(ERROR_ACCESS_DENIED);
    if (handle->overlapped && overlapped == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    operation->device = handle->device;
    operation->handle = file;
    operation->overlapped = overlapped;
    operation->overlappedHandle = handle->overlapped;
    operation->thread = ::GetCurrentThreadId();
    if (overlapped != nullptr) {
        overlapped->Internal = kStatusPending;
        overlapped->InternalHigh = 0;
        if (overlapped->hEvent != nullptr)
            ::ResetEvent(overlapped->hEvent);
    }
    Device& device = *operation->device;
    (operation->isRead ? device.reads : device.writes).push_back(operation);
    ++pending_;
    Progress(device, Clock::now());
    if (!operation->done) {
        changed_.notify_all();
        if (operation->overlappedHandle)
            return Fail(ERROR_IO_PENDING);
        // The handle may be closed by another thread while this one waits.
        if (!changed_.wait_for(lock, syncTimeout_, [&] { return operation->done; })) {
            Abort(device, operation->isRead ? kStatusSuccess : kStatusIoTimeout,
                  [&](const Operation& queued) { return &queued == operation.get(); });
        }
    }
    if (transferred != nullptr)
        *transferred = operation->bytes;
    DWORD error = ErrorOf(operation->status);
    return error == ERROR_SUCCESS ? TRUE : Fail(error);
}

void FakeUsbDeviceIo::Progress(Device& device, Clock::time_point now)
{
    // Writes first: a request that goes through can satisfy a read waiting for its answer.
    while (!device.writes.empty() && TryWrite(*device.writes.front(), now)) {
        std::shared_ptr<Operation> operation = device.writes.front();
        device.writes.pop_front();
        Complete(*operation, kStatusSuccess, static_cast<DWORD>(operation->data.size()));
    }
    while (!device.reads.empty()) {
        std::shared_ptr<Operation> operation = device.reads.front();
        UsbRead read = device.printer->Read(operation->size, now);
        if (read.kind == UsbRead::Kind::Nothing)
            break;
        if (!read.bytes.empty())
            std::memcpy(operation->buffer, read.bytes.data(), read.bytes.size());
        device.reads.pop_front();
        Complete(*operation, kStatusSuccess, static_cast<DWORD>(read.bytes.size()));
    }
}

bool FakeUsbDeviceIo::TryWrite(Operation& operation, Clock::time_point now)
{
    auto handle = handles_.find(operation.handle);
    bool newJob = handle != handles_.end() && !handle->second.printing;
    UsbWrite result = operation.device->printer->Write(operation.data, newJob, now);
    if (result == UsbWrite::Stalled)
        return false;
    if (result == UsbWrite::Print && !operation.data.empty() && handle != handles_.end())
        handle->second.printing = true;
    return true;
}

void FakeUsbDeviceIo::Complete(Operation& operation, ULONG_PTR status, DWORD bytes)
{
    operation.done = true;
    operation.status = status;
    operation.bytes = bytes;
    --pending_;
    if (OVERLAPPED* overlapped = operation.overlapped) {
        overlapped->Internal = status;
        overlapped->InternalHigh = bytes;
        if (overlapped->hEvent != nullptr)
            ::SetEvent(overlapped->hEvent);
    }
    changed_.notify_all();
}

template <class Match>
void FakeUsbDeviceIo::Abort(Device& device, ULONG_PTR status, Match match)
{
    for (auto* queue : {&device.reads, &device.writes}) {
        for (auto at = queue->begin(); at != queue->end();) {
            if (!match(**at)) {
                ++at;
                continue;
            }
            std::shared_ptr<Operation> operation = *at;
            at = queue->erase(at);
            Complete(*operation, status, 0);
        }
    }
}

BOOL FakeUsbDeviceIo::GetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait)
{
    if (!IsOurHandle(file))
        return CDeviceIoApi::GetOverlappedResult(file, overlapped, transferred, wait);
    if (overlapped == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    std::unique_lock lock(mutex_);
    if (overlapped->Internal == kStatusPending) {
        if (!wait)
            return Fail(ERROR_IO_INCOMPLETE);
        changed_.wait(lock, [&] { return overlapped->Internal != kStatusPending; });
    }
    if (transferred != nullptr)
        *transferred = static_cast<DWORD>(overlapped->InternalHigh);
    DWORD error = ErrorOf(overlapped->Internal);
    return error == ERROR_SUCCESS ? TRUE : Fail(error);
}

DWORD FakeUsbDeviceIo::GetFileSize(HANDLE file, LPDWORD sizeHigh)
{
    if (!IsOurHandle(file))
        return CDeviceIoApi::GetFileSize(file, sizeHigh);
    std::lock_guard lock(mutex_);
    Handle* handle = Usable(file);
    if (handle == nullptr)
        return INVALID_FILE_SIZE;
    if (sizeHigh != nullptr)
        *sizeHigh = 0;
    size_t waiting = handle->device->printer->WaitingBytes(Clock::now());
    if (waiting == 0 && handle->device->printer->ReportsZeroWhenIdle())
        return 0;
    if (waiting == 0) {
        ::SetLastError(ERROR_INVALID_FUNCTION);
        return INVALID_FILE_SIZE;
    }
    return static_cast<DWORD>(std::min<size_t>(waiting, INVALID_FILE_SIZE - 1));
}

BOOL FakeUsbDeviceIo::DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                                      LPDWORD returned, LPOVERLAPPED overlapped)
{
    if (!IsOurHandle(device))
        return CDeviceIoApi::DeviceIoControl(device, code, in, inSize, out, outSize, returned, overlapped);
    std::lock_guard lock(mutex_);
    if (returned != nullptr)
        *returned = 0;
    Handle* handle = Usable(device);
    if (handle == nullptr)
        return FALSE;
    if (code != NGWinApi::kIoctlParQueryDeviceId)
        return Fail(ERROR_INVALID_FUNCTION);
    std::string id = handle->device->printer->QueryDeviceId();
    if (out == nullptr || outSize < id.size())
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(out, id.data(), id.size());
    if (returned != nullptr)
        *returned = static_cast<DWORD>(id.size());
    if (overlapped != nullptr) {
        overlapped->Internal = kStatusSuccess;
        overlapped->InternalHigh = id.size();
        if (overlapped->hEvent != nullptr)
            ::SetEvent(overlapped->hEvent);
    }
    return TRUE;
}

BOOL FakeUsbDeviceIo::CancelIo(HANDLE file)
{
    if (!IsOurHandle(file))
        return CDeviceIoApi::CancelIo(file);
    return Cancel(file, false);
}

BOOL FakeUsbDeviceIo::CloseHandle(HANDLE handle)
{
    if (!IsOurHandle(handle))
        return CDeviceIoApi::CloseHandle(handle);
    return Cancel(handle, true);
}

BOOL FakeUsbDeviceIo::Cancel(HANDLE handle, bool close)
{
    std::lock_guard lock(mutex_);
    auto found = handles_.find(handle);
    if (found == handles_.end())
        return Fail(ERROR_INVALID_HANDLE);
    DWORD thread = ::GetCurrentThreadId();
    Abort(*found->second.device, kStatusCancelled, [&](const Operation& operation) {
        return operation.handle == handle && (close || (operation.overlappedHandle && operation.thread == thread));
    });
    if (close)
        handles_.erase(found);
    return TRUE;
}

void FakeUsbDeviceIo::Work()
{
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (pending_ == 0)
            changed_.wait(lock);
        else
            changed_.wait_for(lock, kPollInterval);
        if (stopping_)
            break;
        for (const auto& [key, device] : plugged_)
            if (key == Upper(device->path)) // once per printer
                Progress(*device, Clock::now());
    }
}

} // namespace sim
