#include "tools/LowLevelPrintTest.h"

#include <algorithm>
#include <string>

#include "app/engine/TestContext.h"
#include "discovery/DeviceIdStatus.h"
#include "discovery/UsbStatus.h"
#include "quill/SNMPNWManager.h"
#include "sable/SableManager.h"
#include "support/LogFile.h"
#include "support/ProductInfoColl.h"
#include "tools/PrintPort.h"
#include "winapi/DeviceIoApi.h"
#include "winapi/Handles.h"
#include "winapi/NGWinApi.h"
#include "winapi/SocketApi.h"

using namespace NGWinApi;

namespace {

constexpr int32_t kStatusUnread = -1;
constexpr DWORD kIdentificationBufferBytes = 1024;
constexpr DWORD kIdentificationRequestBytes = 1020;
// Longest wait for a status query on the job's own handle.
constexpr DWORD kIdentificationWaitMs = 1000;

// States in which a printer may still take the job: idle, busy, printing, warming up.
bool IsOrdinaryState(int32_t status)
{
    return status == 0 || status == 1 || status == 2 || status == 4;
}

std::wstring SystemErrorText(DWORD error)
{
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
        reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring result = length != 0 && text != nullptr ? std::wstring(text, length) : std::wstring();
    if (text != nullptr)
        ::LocalFree(text);
    return result;
}

// The requests a USB job has on the device handle and the memory they use. Whatever is still
// pending when the job ends is cancelled and waited for before that memory goes.
class UsbRequests {
public:
    explicit UsbRequests(HANDLE device) : device_(device) {}
    ~UsbRequests() { Finish(); }
    UsbRequests(const UsbRequests&) = delete;
    UsbRequests& operator=(const UsbRequests&) = delete;

    std::string data;
    OVERLAPPED write{};
    bool writePending = false;

    // The printer's status code during the job (-1 when it cannot be read). The status read
    // opens the device without sharing, which our own open handle can refuse; the printer is
    // then asked on the job's handle.
    int32_t Status(const std::wstring& interfacePath, DWORD waitMs)
    {
        int32_t code = kStatusUnread;
        if (ReadUsbStatus(interfacePath, code))
            return code;
        return StatusOnJobHandle(waitMs);
    }

    void Finish()
    {
        if (!writePending && !queryPending_)
            return;
        DeviceIo().CancelIo(device_);
        DWORD ignored = 0;
        if (writePending)
            DeviceIo().GetOverlappedResult(device_, &write, &ignored, TRUE);
        if (queryPending_)
            DeviceIo().GetOverlappedResult(device_, &query_, &ignored, TRUE);
        writePending = queryPending_ = false;
    }

private:
    int32_t StatusOnJobHandle(DWORD waitMs)
    {
        // A query that never came back keeps its buffer; no second one is started meanwhile.
        if (queryPending_ && !HasOverlappedIoCompleted(&query_))
            return kStatusUnread;
        queryPending_ = false;
        if (!queryEvent_) {
            queryEvent_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
            if (!queryEvent_)
                return kStatusUnread;
        }
        std::fill(std::begin(identification_), std::end(identification_), '\0');
        query_ = OVERLAPPED{};
        query_.hEvent = queryEvent_.get();
        ::ResetEvent(queryEvent_.get());
        DWORD returned = 0;
        if (!DeviceIo().DeviceIoControl(device_, kIoctlParQueryDeviceId, identification_, kIdentificationRequestBytes,
                                        identification_, kIdentificationRequestBytes, &returned, &query_)) {
            if (::GetLastError() != ERROR_IO_PENDING)
                return kStatusUnread;
            queryPending_ = true;
            if (Kernel().WaitForSingleObject(queryEvent_.get(), waitMs) != WAIT_OBJECT_0)
                return kStatusUnread;
            queryPending_ = false;
            if (!DeviceIo().GetOverlappedResult(device_, &query_, &returned, FALSE))
                return kStatusUnread;
        }
        const int count = static_cast<int>(std::min(returned, kIdentificationRequestBytes));
        std::wstring text;
        const int wide = Kernel().MultiByteToWideChar(CP_ACP, 0, identification_, count, nullptr, 0);
        text.resize(static_cast<size_t>(std::max(wide, 0)));
        Kernel().MultiByteToWideChar(CP_ACP, 0, identification_, count, text.data(), wide);
        text.resize(std::min(text.size(), text.find(L'\0')));
        return StatusCodeFromIdentification(text);
    }

    HANDLE device_;
    char identification_[kIdentificationBufferBytes] = {};
    OVERLAPPED query_{};
    bool queryPending_ = false;
    UniqueHandle queryEvent_;
};

// A TransmitFile on a connected socket. When the job ends, a transfer still running is
// cancelled and waited for, then the sending direction is shut.
class NetworkTransfer {
public:
    explicit NetworkTransfer(SOCKET connection) : connection_(connection) {}
    ~NetworkTransfer()
    {
        if (pending) {
            DeviceIo().CancelIo(reinterpret_cast<HANDLE>(connection_));
            DWORD ignored = 0;
            DWORD flags = 0;
            Sockets().WSAGetOverlappedResult(connection_, &overlapped, &ignored, TRUE, &flags);
        }
        Sockets().shutdown(connection_, SD_SEND);
    }
    NetworkTransfer(const NetworkTransfer&) = delete;
    NetworkTransfer& operator=(const NetworkTransfer&) = delete;

    OVERLAPPED overlapped{};
    bool pending = false;

private:
    SOCKET connection_;
};

} // namespace

int32_t CLowLevelPrintTest::Run(Device_Dev& device)
{
    try {
        std::wstring path;
        if (!CProductInfoColl::GetPrnFile(device.productId, path))
            path.clear();
        printFilePath_ = path;
        // The print test page picks its preview by this name.
        device.printFile = path;
        if (path.empty()) {
            LogFile().Write(L"PRN file information - failure");
            return kRunFailed;
        }
        if (device.isNetwork ? SendOverNetwork(device) : SendOverUsb(device))
            return kRunPassed;
        LogFile().Write(L"Printing of Prn file Failed.");
        if (cancelled_)
            return kRunAbandon;
        if (device.isNetwork) {
            // The result page names the cause from the status read now.
            const int32_t flag = ReadNetworkStatusFlag(context_, device);
            device.statusCode = flag;
        }
        return kRunFailed;
    } catch (...) {
        LogFile().Write(L"Exception occured in LowLevelPrintTest::Run.");
        return kRunFailed;
    }
}

bool CLowLevelPrintTest::SendOverUsb(const Device_Dev& device)
{
    try {
        return UsbJob(device);
    } catch (...) {
        LogFile().Write(L"Exception occured in SendOverUsb.");
        return false;
    }
}

bool CLowLevelPrintTest::SendOverNetwork(const Device_Dev& device)
{
    try {
        return NetworkJob(device);
    } catch (...) {
        LogFile().Write(L"Exception occured in SendOverNetwork.");
        return false;
    }
}

bool CLowLevelPrintTest::UsbJob(const Device_Dev& device)
{
    if (printFilePath_.empty()) {
        LogFile().Write(L"Prn file name empty.");
        return false;
    }
    if (device.address.empty()) {
        LogFile().Write(L"Interface name empty.");
        return false;
    }
    // Unlike the device and event handles, the cancel event is never closed here: the manager owns it.
    UniqueHandle writeEvent(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!writeEvent) {
        LogFile().Write(L"CreateEvent failed. Err: %lu", ::GetLastError());
        return false;
    }
    UniqueDeviceHandle printer(DeviceIo().CreateFileW(device.address.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                      OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
    if (!printer) {
        LogFile().Write(L"Device Interface opening failed .");
        return false;
    }
    UsbRequests requests(printer.get());
    {
        UniqueDeviceHandle file(DeviceIo().CreateFileW(printFilePath_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            ReportFileError(::GetLastError());
            return false;
        }
        const DWORD size = DeviceIo().GetFileSize(file.get(), nullptr);
        if (size == INVALID_FILE_SIZE) {
            LogFile().Write(L"Prn file read failed. Err: %lu", ::GetLastError());
            return false;
        }
        requests.data.resize(size);
        DWORD total = 0;
        while (total < size) {
            DWORD read = 0;
            if (!DeviceIo().ReadFile(file.get(), requests.data.data() + total, size - total, &read, nullptr)) {
                LogFile().Write(L"Prn file read failed. Err: %lu", ::GetLastError());
                return false;
            }
            if (read == 0)
                break;
            total += read;
        }
        requests.data.resize(total);
    }

    const DWORD length = static_cast<DWORD>(requests.data.size());
    requests.write.hEvent = writeEvent.get();
    ::SetLastError(0);
    DWORD written = 0;
    if (DeviceIo().WriteFile(printer.get(), requests.data.data(), length, &written, &requests.write)) {
        if (written == length) {
            LogFile().Write(L"Writing the data to printer success.");
            return true;
        }
        LogFile().Write(L"Writing the whole data to printer failed.");
        return false;
    }
    if (::GetLastError() != ERROR_IO_PENDING) {
        LogFile().Write(L"Write File Failed.");
        return false;
    }
    requests.writePending = true;
    const DWORD queryWaitMs = std::min(waits_.usbSliceMs, kIdentificationWaitMs);
    const WaitEnd end = WaitForTransfer(writeEvent.get(), waits_.usbSliceMs,
                                        [&] { return requests.Status(device.address, queryWaitMs); });
    if (end != WaitEnd::Transferred) {
        ReportUnfinished(end);
        return false;
    }
    requests.writePending = false;
    DWORD done = 0;
    if (DeviceIo().GetOverlappedResult(printer.get(), &requests.write, &done, FALSE) && done == length) {
        LogFile().Write(L"Writing the data to printer success.");
        return true;
    }
    LogFile().Write(L"Writing the data to printer failed.");
    return false;
}

bool CLowLevelPrintTest::NetworkJob(const Device_Dev& device)
{
    if (printFilePath_.empty()) {
        LogFile().Write(L"Prn file name empty.");
        return false;
    }
    if (device.address.empty()) {
        LogFile().Write(L"IPAddress is empty.");
        return false;
    }
    WinsockSession winsock;
    if (!winsock.ok())
        return false;
    UniqueHandle transferEvent(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!transferEvent) {
        LogFile().Write(L"CreateEvent failed. Err: %lu", ::GetLastError());
        return false;
    }
    UniqueSocket connection(Sockets().socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!connection)
        return false;
    sockaddr_in printer{};
    printer.sin_family = AF_INET;
    printer.sin_port = htons(waits_.port);
    printer.sin_addr.s_addr = Sockets().inet_addr(NarrowAddress(device.address).c_str());
    if (Sockets().connect(connection.get(), reinterpret_cast<const sockaddr*>(&printer), sizeof printer) != 0) {
        connection.reset();
        LogFile().Write(L"Connection to the network printer is failed.");
        return false;
    }

    UniqueHandle file(Kernel().CreateFileW(printFilePath_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_OVERLAPPED | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    NetworkTransfer transfer(connection.get());
    if (!file) {
        ReportFileError(::GetLastError());
        return false;
    }
    transfer.overlapped.hEvent = transferEvent.get();
    if (Sockets().TransmitFile(connection.get(), file.get(), 0, 0, &transfer.overlapped, nullptr, 0)) {
        LogFile().Write(L"Writing the data to printer success.");
        return true;
    }
    if (Sockets().WSAGetLastError() != WSA_IO_PENDING) {
        LogFile().Write(L"Write File Failed.");
        return false;
    }
    transfer.pending = true;
    const WaitEnd end = WaitForTransfer(transferEvent.get(), waits_.networkSliceMs,
                                        [&] { return ReadNetworkStatusFlag(context_, device); });
    if (end != WaitEnd::Transferred) {
        ReportUnfinished(end);
        return false;
    }
    transfer.pending = false;
    DWORD sent = 0;
    DWORD flags = 0;
    if (Sockets().WSAGetOverlappedResult(connection.get(), &transfer.overlapped, &sent, FALSE, &flags)) {
        LogFile().Write(L"Writing the data to printer success.");
        return true;
    }
    LogFile().Write(L"Writing the data to printer failed.");
    return false;
}

CLowLevelPrintTest::WaitEnd CLowLevelPrintTest::WaitForTransfer(HANDLE transferEvent, DWORD sliceMs,
                                                                const std::function<int32_t()>& readStatus)
{
    // Only waited on: the manager owns the cancel event and makes a new one for every run.
    const HANDLE cancelEvent = context_.CancelEvent();
    const HANDLE events[2] = {transferEvent, cancelEvent};
    const DWORD count = cancelEvent != nullptr ? 2 : 1;
    int rounds = 0;
    for (;;) {
        const DWORD woken = Kernel().WaitForMultipleObjects(count, events, FALSE, sliceMs);
        if (woken == WAIT_OBJECT_0)
            return WaitEnd::Transferred;
        const WaitEnd end = woken == WAIT_OBJECT_0 + 1 ? WaitEnd::Cancelled
                            : woken == WAIT_TIMEOUT    ? WaitEnd::TimedOut
                                                       : WaitEnd::Failed;
        if (end == WaitEnd::Failed)
            LogFile().Write(L"Waiting for the printer failed. Err: %lu", ::GetLastError());
        // A printer that is only slow gets more time; a signalled cancel is consumed meanwhile.
        if (IsOrdinaryState(readStatus()) && ++rounds < waits_.rounds)
            continue;
        return end;
    }
}

void CLowLevelPrintTest::ReportUnfinished(WaitEnd end)
{
    switch (end) {
    case WaitEnd::Cancelled:
        cancelled_ = true;
        LogFile().Write(L"Writing the data to printer failed- Cancel Event.");
        break;
    case WaitEnd::TimedOut:
        LogFile().Write(L"Time out - Error printing.");
        break;
    case WaitEnd::Transferred:
    case WaitEnd::Failed:
        break;
    }
}

void CLowLevelPrintTest::ReportFileError(DWORD error) const
{
    LogFile().Write(L"Prn file open failed. Err: %lu", error);
    if (showFileErrors_) {
        const std::wstring text = printFilePath_ + L"\r\n" + SystemErrorText(error);
        ::MessageBoxW(nullptr, text.c_str(), nullptr, MB_OK | MB_ICONERROR);
    }
}

int32_t ReadNetworkStatusFlag(CTestContext& context, const Device_Dev& device)
{
    if (ProtocolFor(device) == DeviceProtocol::Sable)
        return context.Sable().GetSableStatusFlag(device);
    return context.QuillNetwork().GetStatusFlag(device);
}
