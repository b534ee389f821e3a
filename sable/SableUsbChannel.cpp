// The Sable channel over a printer's USB device interface: HTTP/1.1 written and read by hand.
#include <exception>
#include <vector>

#include "sable/SableFiles.h"
#include "sable/SableManager.h"
#include "sable/UsbHttpFraming.h"
#include "support/LogFile.h"
#include "support/ModuleInfo.h"

namespace {

// {36FC9E60-C465-11CF-8056-444553540000}
constexpr GUID kUsbClass = {0x36FC9E60, 0xC465, 0x11CF, {0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// {6BDD1FC6-810F-11D0-BEC7-08002BE2092F}
constexpr GUID kImagingClass = {0x6BDD1FC6, 0x810F, 0x11D0, {0xBE, 0xC7, 0x08, 0x00, 0x2B, 0xE2, 0x09, 0x2F}};
constexpr size_t kInterfacePathChars = 2048;
// The detail record's size field: 6 in a 32-bit process, 8 in a 64-bit one.
constexpr DWORD kDetailRecordSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(::towlower(c));
    return text;
}

} // namespace

CSableManager::~CSableManager()
{
    StopJobPoller();
}

bool CSableManager::GetInterfaceSymbolicLink(const Device_Dev& device, const GUID& interfaceClass,
                                             std::vector<std::wstring>& paths)
{
    const std::wstring key = Lower(device.hardwareId);
    NGWinApi::UniqueDeviceInfoList set(NGWinApi::DeviceIo().SetupDiGetClassDevsW(
        &interfaceClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!set.valid())
        return false;
    bool appended = false;
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof(data);
    for (DWORD index = 0;
         NGWinApi::DeviceIo().SetupDiEnumDeviceInterfaces(set.get(), nullptr, &interfaceClass, index, &data);
         ++index) {
        DWORD required = 0;
        if (!NGWinApi::DeviceIo().SetupDiGetDeviceInterfaceDetailW(set.get(), &data, nullptr, 0, &required, nullptr) &&
            ::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            continue;
        if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W))
            continue;
        std::vector<BYTE> block(required, 0);
        auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_W>(block.data());
        detail->cbSize = kDetailRecordSize;
        if (!NGWinApi::DeviceIo().SetupDiGetDeviceInterfaceDetailW(set.get(), &data, detail, required, nullptr,
                                                                   nullptr))
            continue;
        const size_t pathChars = (required - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath)) / sizeof(wchar_t);
        std::wstring path(detail->DevicePath, ::wcsnlen(detail->DevicePath, pathChars));
        if (path.size() >= kInterfacePathChars)
            path.resize(kInterfacePathChars - 1);
        if (!key.empty() && Lower(path).find(key) != std::wstring::npos) {
            paths.push_back(path);
            appended = true;
        }
    }
    return appended;
}

bool CSableManager::FindInterfacePath(const Device_Dev& device, std::wstring& path)
{
    std::vector<std::wstring> paths;
    if (!GetInterfaceSymbolicLink(device, kUsbClass, paths) && !GetInterfaceSymbolicLink(device, kImagingClass, paths))
        return false;
    path = paths.front();
    return true;
}

bool CSableManager::InitializeDeviceConnection(const std::wstring& path, NGWinApi::UniqueDeviceHandle& device)
{
    device.reset(NGWinApi::DeviceIo().CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                                  FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!device) {
        LogFile().Write(L"Failed to create file. File: %s ", path.c_str());
        return false;
    }
    // Stale input left from an earlier answer would be taken for this one.
    std::vector<char> block(kReadBlock + 1);
    for (DWORD size = NGWinApi::DeviceIo().GetFileSize(device.get(), nullptr); size != 0 && size != INVALID_FILE_SIZE;
         size = NGWinApi::DeviceIo().GetFileSize(device.get(), nullptr)) {
        DWORD read = 0;
        if (!NGWinApi::DeviceIo().ReadFile(device.get(), block.data(), kReadBlock, &read, nullptr)) {
            LogFile().Write(L"ReadFile API failed in InitializeDeviceConnection.");
            break;
        }
        if (read == 0) {
            LogFile().Write(L"Bytes read was <= 0 in InitializeDeviceConnection. Bytes:%ld", static_cast<long>(read));
            break;
        }
    }
    return true;
}

bool CSableManager::WriteSOAPRequest(HANDLE device, const std::wstring& resourcePath)
{
    const std::string request = sable::BuildGetRequest(resourcePath);
    DWORD written = 0;
    if (!NGWinApi::DeviceIo().WriteFile(device, request.data(), static_cast<DWORD>(request.size()), &written,
                                        nullptr)) {
        LogFile().Write(L"CSableManager::WriteSOAPRequest() Last error : %d", static_cast<int>(::GetLastError()));
        return false;
    }
    return true;
}

CSableManager::ReadOutcome CSableManager::ReadBlock(HANDLE device, HANDLE event, char* block, DWORD& count)
{
    count = 0;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event;
    const BOOL started = NGWinApi::DeviceIo().ReadFile(device, block, kReadBlock, nullptr, &overlapped);
    if (started || ::GetLastError() == ERROR_IO_PENDING) {
        if (NGWinApi::Kernel().WaitForSingleObject(event, waits_.readEventMs) != WAIT_OBJECT_0) {
            // The block must not be written after we leave: take the read back first.
            NGWinApi::DeviceIo().CancelIo(device);
            DWORD ignored = 0;
            NGWinApi::DeviceIo().GetOverlappedResult(device, &overlapped, &ignored, TRUE);
            return ReadOutcome::Nothing;
        }
    }
    if (!NGWinApi::DeviceIo().GetOverlappedResult(device, &overlapped, &count, FALSE)) {
        LogFile().Write(L"get overlapping failed: %ld", static_cast<long>(::GetLastError()));
        count = 0;
        return ReadOutcome::Nothing;
    }
    block[count] = '\0';
    return count == 0 ? ReadOutcome::Empty : ReadOutcome::Bytes;
}

bool CSableManager::ReadSOAPResponseHeader(HANDLE device, std::string& leftover, int32_t& contentLength)
{
    NGWinApi::UniqueHandle event(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!event)
        return false;
    std::vector<char> block(kReadBlock + 1, 0);
    sable::ResponseHeadAccumulator head;
    // A silent device would otherwise keep the caller forever.
    int idleReads = 0;
    while (!head.Complete()) {
        if (idleReads >= kHeadReadLimit)
            return false;
        waits_.sleep(waits_.readPauseMs);
        DWORD count = 0;
        const ReadOutcome outcome = ReadBlock(device, event.get(), block.data(), count);
        if (outcome == ReadOutcome::Empty)
            LogFile().Write(L"Bytes read was <= 0 in ReadSOAPResponseHeader. Bytes: %ld", static_cast<long>(count));
        if (outcome != ReadOutcome::Bytes) {
            ++idleReads;
            continue;
        }
        idleReads = 0;
        head.Add(std::string_view(block.data(), count));
        if (!head.Complete() && head.Head().size() > kMaxHeadBytes)
            return false;
    }
    leftover = head.Leftover();
    const sable::HeadVerdict verdict = sable::ParseResponseHead(head.Head());
    if (!verdict.hasHttp11)
        LogFile().Write(L"Failed to found the string 'HTTP/1.1'");
    contentLength = verdict.contentLength;
    return true;
}

void CSableManager::WriteToFile(HANDLE file, const char* bytes, DWORD count, DWORD& written)
{
    written = 0;
    if (!NGWinApi::DeviceIo().WriteFile(file, bytes, count, &written, nullptr))
        LogFile().Write(L"WriteFile API failed in WriteToFile. - %ld", static_cast<long>(::GetLastError()));
}

bool CSableManager::ReadSOAPResposeContent(HANDLE file, HANDLE device, const std::string& leftover,
                                           int32_t contentLength)
{
    if (contentLength == -1)
        return ReadChunkedContent(file, device, leftover);
    if (contentLength <= 0)
        return true;
    int64_t remaining = contentLength;
    int64_t total = 0;
    DWORD written = 0;
    if (!leftover.empty()) {
        WriteToFile(file, leftover.data(), static_cast<DWORD>(leftover.size()), written);
        remaining -= written;
        total += written;
    }
    NGWinApi::UniqueHandle event(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!event)
        return false;
    std::vector<char> block(kReadBlock + 1, 0);
    long failures = 0;
    while (remaining != 0 && failures < kReadFailureLimit) {
        DWORD count = 0;
        const ReadOutcome outcome = ReadBlock(device, event.get(), block.data(), count);
        if (outcome == ReadOutcome::Empty) {
            LogFile().Write(L"Read Failure count : %ld", ++failures);
        } else if (outcome == ReadOutcome::Bytes) {
            failures = 0;
            WriteToFile(file, block.data(), count, written);
            remaining -= count;
            total += count;
            if (total > waits_.maxBodyBytes)
                return false; // a device that never stops sending
        } else {
            // A read that waited in vain counts too, or a silent device would never end the body.
            LogFile().Write(L"Read Failure count : %ld", ++failures);
        }
    }
    return true;
}

bool CSableManager::ReadChunkedContent(HANDLE file, HANDLE device, const std::string& leftover)
{
    sable::ChunkDecoder decoder;
    DWORD written = 0;
    int64_t total = 0;
    auto write = [&](const sable::ChunkDecoder::Result& result) {
        if (!result.data.empty()) {
            WriteToFile(file, result.data.data(), static_cast<DWORD>(result.data.size()), written);
            total += static_cast<int64_t>(result.data.size());
        }
        return result.finished;
    };
    if (!leftover.empty() && write(decoder.AddLeftover(leftover)))
        return true;
    NGWinApi::UniqueHandle event(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!event)
        return false;
    std::vector<char> block(kReadBlock + 1, 0);
    long failures = 0;
    while (failures < kReadFailureLimit) {
        waits_.sleep(waits_.readPauseMs);
        DWORD count = 0;
        const ReadOutcome outcome = ReadBlock(device, event.get(), block.data(), count);
        if (outcome != ReadOutcome::Bytes) {
            // Reads that wait in vain count like empty ones: a silent device ends the body too.
            LogFile().Write(L"Read Failure count : %ld", ++failures);
            continue;
        }
        failures = 0;
        if (write(decoder.AddRead(std::string_view(block.data(), count))))
            return true;
        if (total > waits_.maxBodyBytes)
            return false; // an endless body
    }
    return true;
}

bool CSableManager::GetDocumentOverUsb(const Device_Dev& device, const std::wstring& resourcePath,
                                      const std::wstring& fileName)
{
    try {
        std::wstring path;
        if (!FindInterfacePath(device, path)) {
            LogFile().Write(L"Failed to get InterfaceSymbolicLink.");
            return false;
        }
        NGWinApi::UniqueDeviceHandle device;
        if (!InitializeDeviceConnection(path, device)) {
            LogFile().Write(L"InitializeDeviceConnection Failed.");
            return false;
        }
        if (!WriteSOAPRequest(device.get(), resourcePath)) {
            const DWORD error = ::GetLastError();
            device.reset();
            LogFile().Write(L"WriteSOAPRequest Failed. - %d", static_cast<int>(error));
            return false;
        }
        std::string leftover;
        int32_t contentLength = 0;
        if (!ReadSOAPResponseHeader(device.get(), leftover, contentLength)) {
            device.reset();
            LogFile().Write(L"ReadSOAPResponseHeader Failed.");
            return false;
        }
        const std::wstring outputPath = ApplicationFilePath(fileName);
        ::DeleteFileW(outputPath.c_str());
        NGWinApi::UniqueDeviceHandle file(NGWinApi::DeviceIo().CreateFileW(
            outputPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            device.reset();
            LogFile().Write(L"XML File creation failed.");
            return false;
        }
        if (!ReadSOAPResposeContent(file.get(), device.get(), leftover, contentLength)) {
            file.reset();
            device.reset();
            if (contentLength == -1)
                LogFile().Write(L"Failed to read the chunked content.");
            LogFile().Write(L"ReadSOAPResposeContent failed.");
            return false;
        }
        return true;
    } catch (...) {
        LogFile().Write(L"Exception occured in GetDocumentOverUsb.");
        return false;
    }
}
