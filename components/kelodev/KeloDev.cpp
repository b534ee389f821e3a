// kelodev12.dll: the USB device library behind the procedure-table contract. On this machine a
// USB printer's Quill objects are reached over the loopback Quill wire the printer simulator
// offers; the endpoint of each print queue comes from "kelodev12.ini" beside the library:
//
//     [Printers]
//     <print queue name> = 127.0.0.1:9170
//     [Settings]
//     TimeoutMs = 5000        ; how long one answer may take
//
// A queue without an endpoint cannot be opened (error 2). A connection that fails or breaks
// reports the device lost (0x80000000) and posts the registered window its notification.
#include <winsock2.h>

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "components/kelodev/QuillProcTable.h"

namespace {

using namespace QuillProcs;

constexpr DWORD kNoEndpoint = ERROR_FILE_NOT_FOUND;
constexpr DWORD kBadArgument = ERROR_INVALID_PARAMETER;
constexpr DWORD kBadHandle = ERROR_INVALID_HANDLE;

struct Device {
    std::mutex mutex;
    sockaddr_in endpoint{};
    SOCKET socket = INVALID_SOCKET;
    DWORD timeoutMs = 5000;
    HWND window = nullptr;
    UINT message = 0;
    DWORD registration = 0;

    ~Device() { Disconnect(); }
    void Disconnect()
    {
        if (socket != INVALID_SOCKET)
            ::closesocket(std::exchange(socket, INVALID_SOCKET));
    }
};

std::mutex g_devicesMutex;
std::map<DWORD, std::shared_ptr<Device>> g_devices;
DWORD g_nextHandle = 1;

std::wstring ConfigPath()
{
    HMODULE self = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ConfigPath), &self);
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(self, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + L"kelodev12.ini";
}

bool FindEndpoint(const wchar_t* queueName, sockaddr_in& endpoint)
{
    wchar_t text[64] = {};
    ::GetPrivateProfileStringW(L"Printers", queueName, L"", text, 64, ConfigPath().c_str());
    std::string narrow;
    for (const wchar_t* c = text; *c != L'\0'; ++c)
        narrow += static_cast<char>(*c);
    const size_t colon = narrow.rfind(':');
    if (colon == std::string::npos)
        return false;
    endpoint.sin_family = AF_INET;
    endpoint.sin_addr.s_addr = ::inet_addr(narrow.substr(0, colon).c_str());
    endpoint.sin_port = htons(static_cast<u_short>(std::atoi(narrow.c_str() + colon + 1)));
    return endpoint.sin_addr.s_addr != INADDR_NONE && endpoint.sin_port != 0;
}

std::shared_ptr<Device> Find(DWORD handle)
{
    std::lock_guard guard(g_devicesMutex);
    auto found = g_devices.find(handle);
    return found == g_devices.end() ? nullptr : found->second;
}

bool Connect(Device& device)
{
    if (device.socket != INVALID_SOCKET)
        return true;
    device.socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (device.socket == INVALID_SOCKET)
        return false;
    ::setsockopt(device.socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&device.timeoutMs),
                 sizeof device.timeoutMs);
    if (::connect(device.socket, reinterpret_cast<const sockaddr*>(&device.endpoint), sizeof device.endpoint) != 0) {
        device.Disconnect();
        return false;
    }
    return true;
}

bool ReceiveAll(SOCKET s, uint8_t* data, size_t size)
{
    while (size > 0) {
        const int got = ::recv(s, reinterpret_cast<char*>(data), static_cast<int>(size), 0);
        if (got <= 0)
            return false;
        data += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

struct Answer {
    DWORD result = kDeviceLost;
    BYTE type = 0;
    std::vector<uint8_t> value;
};

// One request on the wire; a broken exchange is a lost device and tells the window.
Answer Exchange(Device& device, const std::vector<uint8_t>& request)
{
    Answer answer;
    uint8_t head[7];
    const bool ok = Connect(device) &&
                    ::send(device.socket, reinterpret_cast<const char*>(request.data()),
                           static_cast<int>(request.size()), 0) == static_cast<int>(request.size()) &&
                    ReceiveAll(device.socket, head, sizeof head);
    if (ok) {
        std::memcpy(&answer.result, head, 4);
        answer.type = head[4];
        answer.value.resize(static_cast<size_t>(head[5] | (head[6] << 8)));
        if (ReceiveAll(device.socket, answer.value.data(), answer.value.size()))
            return answer;
    }
    device.Disconnect();
    if (device.window != nullptr && device.registration != 0)
        ::PostMessageW(device.window, device.message, 0, MAKELPARAM(kNotificationDeviceLost, 0));
    return Answer{};
}

std::vector<uint8_t> Request(char kind, const BYTE* id, DWORD idCount)
{
    std::vector<uint8_t> request;
    request.reserve(idCount + 7);
    request.push_back(static_cast<uint8_t>(kind));
    request.push_back(static_cast<uint8_t>(idCount));
    for (DWORD i = 0; i < idCount; ++i)
        request.push_back(id[i]);
    return request;
}

DWORD WINAPI OpenDevice(const OpenBlock* block, DWORD* handle)
{
    if (block == nullptr || handle == nullptr || block->size != sizeof(OpenBlock) || block->deviceName == nullptr)
        return kBadArgument;
    auto device = std::make_shared<Device>();
    if (!FindEndpoint(block->deviceName, device->endpoint))
        return kNoEndpoint;
    device->timeoutMs = ::GetPrivateProfileIntW(L"Settings", L"TimeoutMs", 5000, ConfigPath().c_str());
    if (!Connect(*device))
        return kDeviceLost;
    std::lock_guard guard(g_devicesMutex);
    *handle = g_nextHandle++;
    g_devices[*handle] = device;
    return 0;
}

DWORD WINAPI CloseDevice(DWORD handle)
{
    std::lock_guard guard(g_devicesMutex);
    return g_devices.erase(handle) == 1 ? 0 : kBadHandle;
}

DWORD WINAPI RegisterNotification(DWORD handle, DWORD, HWND window, UINT message, DWORD, DWORD* registration)
{
    auto device = Find(handle);
    if (!device || registration == nullptr)
        return kBadHandle;
    std::lock_guard guard(device->mutex);
    device->window = window;
    device->message = message;
    device->registration = *registration = handle; // one registration per device
    return 0;
}

DWORD WINAPI CancelNotification(DWORD handle, DWORD registration)
{
    auto device = Find(handle);
    if (!device)
        return kBadHandle;
    std::lock_guard guard(device->mutex);
    if (registration != device->registration)
        return kBadArgument;
    device->window = nullptr;
    device->registration = 0;
    return 0;
}

DWORD WINAPI GetObjectValue(DWORD handle, DWORD, const BYTE* id, DWORD idCount, BYTE* buffer, DWORD bufferSize,
                            BYTE* type, DWORD* length)
{
    auto device = Find(handle);
    if (!device)
        return kBadHandle;
    if (id == nullptr || idCount == 0 || idCount > 32 || buffer == nullptr || type == nullptr || length == nullptr)
        return kBadArgument;
    std::lock_guard guard(device->mutex);
    const Answer answer = Exchange(*device, Request('G', id, idCount));
    if (answer.result != 0)
        return answer.result;
    *type = answer.type;
    *length = static_cast<DWORD>(answer.value.size());
    std::memcpy(buffer, answer.value.data(), answer.value.size() < bufferSize ? answer.value.size() : bufferSize);
    return 0;
}

DWORD WINAPI SetObjectValue(DWORD handle, DWORD, const BYTE* id, DWORD idCount, const DWORD* value, DWORD type,
                            DWORD valueSize, BYTE* reply, DWORD replySize, DWORD* replyLength)
{
    auto device = Find(handle);
    if (!device)
        return kBadHandle;
    if (id == nullptr || idCount == 0 || idCount > 32 || value == nullptr || valueSize != 4)
        return kBadArgument;
    std::vector<uint8_t> request = Request('S', id, idCount);
    request.push_back(static_cast<uint8_t>(type));
    for (int shift = 0; shift < 32; shift += 8)
        request.push_back(static_cast<uint8_t>(*value >> shift));
    std::lock_guard guard(device->mutex);
    const Answer answer = Exchange(*device, request);
    if (replyLength != nullptr)
        *replyLength = 0;
    if (reply != nullptr && replySize >= 4 && answer.result == 0) {
        std::memset(reply, 0, 4);
        if (replyLength != nullptr)
            *replyLength = 4;
    }
    return answer.result;
}

} // namespace

// The single export; the leading underscore is part of the name the tool looks up.
extern "C" __declspec(dllexport) DWORD WINAPI _QuillInitRtlProcs(void* table, DWORD size, DWORD)
{
    if (table == nullptr || size != kTableSize)
        return kBadArgument;
    void* entries[kEntries] = {};
    entries[kOpen] = reinterpret_cast<void*>(&OpenDevice);
    entries[kClose] = reinterpret_cast<void*>(&CloseDevice);
    entries[kRegister] = reinterpret_cast<void*>(&RegisterNotification);
    entries[kUnregister] = reinterpret_cast<void*>(&CancelNotification);
    entries[kGetObject] = reinterpret_cast<void*>(&GetObjectValue);
    entries[kSetObject] = reinterpret_cast<void*>(&SetObjectValue);
    std::memcpy(table, entries, sizeof entries);
    static WSADATA winsock;
    static const bool started = ::WSAStartup(MAKEWORD(2, 2), &winsock) == 0;
    return started ? 0 : ERROR_NOT_READY;
}
