#include "tools/PrinterReset.h"

#include "support/LogFile.h"
#include "tools/PrintPort.h"
#include "tools/ResetBlocks.h"
#include "winapi/DeviceIoApi.h"
#include "winapi/NGWinApi.h"
#include "winapi/SocketApi.h"

using namespace NGWinApi;

namespace {

// Connects `connection` to address:port within `waitMs`, then puts it back into blocking mode.
bool ConnectWithin(SOCKET connection, const std::wstring& address, uint16_t port, DWORD waitMs)
{
    UniqueHandle connected(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!connected || Sockets().WSAEventSelect(connection, connected.get(), FD_CONNECT) != 0)
        return false;
    sockaddr_in printer{};
    printer.sin_family = AF_INET;
    printer.sin_port = htons(port);
    printer.sin_addr.s_addr = Sockets().inet_addr(NarrowAddress(address).c_str());
    if (Sockets().connect(connection, reinterpret_cast<const sockaddr*>(&printer), sizeof printer) != 0) {
        if (Sockets().WSAGetLastError() != WSAEWOULDBLOCK)
            return false;
        if (Kernel().WaitForSingleObject(connected.get(), waitMs) != WAIT_OBJECT_0) {
            LogFile().Write(L"The network printer did not answer the connection in %lu ms.", waitMs);
            return false;
        }
        WSANETWORKEVENTS events{};
        if (Sockets().WSAEnumNetworkEvents(connection, connected.get(), &events) != 0 ||
            (events.lNetworkEvents & FD_CONNECT) == 0 || events.iErrorCode[FD_CONNECT_BIT] != 0)
            return false;
    }
    u_long nonBlocking = 0;
    return Sockets().WSAEventSelect(connection, nullptr, 0) == 0 &&
           Sockets().ioctlsocket(connection, FIONBIO, &nonBlocking) == 0;
}

} // namespace

bool WriteToDeviceInterface(const std::wstring& path, const void* bytes, DWORD length, DWORD& written, DWORD waitMs)
{
    written = 0;
    UniqueHandle writeDone(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!writeDone)
        return false;
    UniqueDeviceHandle device(DeviceIo().CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                     nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
    if (!device)
        return false;
    OVERLAPPED write{};
    write.hEvent = writeDone.get();
    ::SetLastError(0);
    if (DeviceIo().WriteFile(device.get(), bytes, length, &written, &write))
        return written == length;
    if (::GetLastError() != ERROR_IO_PENDING)
        return false;
    if (Kernel().WaitForSingleObject(writeDone.get(), waitMs) != WAIT_OBJECT_0) {
        LogFile().Write(L"The printer did not take the reset data in %lu ms.", waitMs);
        // The request uses `write` and the caller's bytes: it must be gone before they are.
        DeviceIo().CancelIo(device.get());
        DeviceIo().GetOverlappedResult(device.get(), &write, &written, TRUE);
        return false;
    }
    return DeviceIo().GetOverlappedResult(device.get(), &write, &written, FALSE) && written == length;
}

bool ResetOverUsb(const Device_Dev& device, const ResetWaits& waits)
{
    const std::string exitBlock = ResetExitBlock();
    const std::string command = ResetCommandBlock();
    bool whole = true;
    for (const std::string* block : {&exitBlock, &command, &exitBlock}) {
        DWORD written = 0;
        whole = WriteToDeviceInterface(device.address, block->data(), static_cast<DWORD>(block->size()), written,
                                       waits.usbWriteMs) &&
                whole;
    }
    return whole;
}

bool ResetOverNetwork(const Device_Dev& device, const ResetWaits& waits)
{
    if (device.address.empty()) {
        LogFile().Write(L"IPAddress is empty.");
        return false;
    }
    WinsockSession winsock;
    if (!winsock.ok())
        return false;
    UniqueHandle sendDone(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!sendDone)
        return false;
    UniqueSocket connection(Sockets().socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!connection)
        return false;
    if (!ConnectWithin(connection.get(), device.address, waits.port, waits.connectMs)) {
        connection.reset();
        LogFile().Write(L"Connection to the network printer is failed.");
        return false;
    }

    std::string command = ResetCommandBlock();
    WSABUF buffer{static_cast<ULONG>(command.size()), command.data()};
    WSAOVERLAPPED send{};
    send.hEvent = sendDone.get();
    DWORD sent = 0;
    bool whole = false;
    if (Sockets().WSASend(connection.get(), &buffer, 1, &sent, 0, &send, nullptr) != 0 &&
        Sockets().WSAGetLastError() != WSA_IO_PENDING) {
        LogFile().Write(L"Writing Reset data to network printer failed");
    } else {
        const DWORD woken = Kernel().WaitForSingleObject(sendDone.get(), waits.sendMs);
        if (woken == WAIT_OBJECT_0) {
            DWORD flags = 0;
            if (Sockets().WSAGetOverlappedResult(connection.get(), &send, &sent, FALSE, &flags))
                whole = sent == command.size();
            else
                LogFile().Write(L"Writing failed");
        } else {
            LogFile().Write(woken == WAIT_TIMEOUT ? L"The network printer did not take the reset data in time."
                                                  : L"WSAWaitForMultipleEvents failed");
            // Closing cancels the send; its completion must come before `send` and `command` go.
            connection.reset();
            Kernel().WaitForSingleObject(sendDone.get(), waits.sendMs);
            return false;
        }
    }
    Sockets().shutdown(connection.get(), SD_SEND);
    return whole;
}

bool ResetPrinter(const Device_Dev& device, const ResetWaits& waits)
{
    try {
        return device.isNetwork ? ResetOverNetwork(device, waits) : ResetOverUsb(device, waits);
    } catch (...) {
        LogFile().Write(L"Exception occured in ResetPrinter.");
        return false;
    }
}

CPrinterReset::~CPrinterReset()
{
    if (!Wait(waits_.Bound()))
        LogFile().Write(L"The printer reset did not end before the tool closed.");
}

bool CPrinterReset::RunningLocked() const
{
    return worker_ && Kernel().WaitForSingleObject(worker_.get(), 0) == WAIT_TIMEOUT;
}

bool CPrinterReset::Start(const Device_Dev& device)
{
    std::lock_guard lock(lock_);
    // Two resets would interleave their bytes on one printer.
    if (RunningLocked()) {
        LogFile().Write(L"A printer reset is still running; this one is not started.");
        return false;
    }
    device_ = device; // the worker reads its copy; no worker runs now
    worker_.reset(Kernel().CreateThread(nullptr, 0, &CPrinterReset::Worker, this, 0, nullptr));
    if (!worker_) {
        LogFile().Write(L"The printer reset could not start. Err: %lu", ::GetLastError());
        return false;
    }
    return true;
}

bool CPrinterReset::Wait(DWORD waitMs)
{
    HANDLE worker = nullptr;
    {
        std::lock_guard lock(lock_);
        worker = worker_.get();
    }
    return worker == nullptr || Kernel().WaitForSingleObject(worker, waitMs) == WAIT_OBJECT_0;
}

DWORD WINAPI CPrinterReset::Worker(LPVOID reset)
{
    auto* self = static_cast<CPrinterReset*>(reset);
    self->lastSucceeded_ = ResetPrinter(self->device_, self->waits_);
    return 1;
}
