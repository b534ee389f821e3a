#pragma once
// The Sable access manager: resources fetched over the USB device interface or over HTTP on
// port 8080, parsed into the shared device records.
#include <windows.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "discovery/DeviceRecords.h"
#include "support/XmlDom.h"
#include "winapi/DeviceIoApi.h"

// The pauses and waits of the channel and the jobs; tests shorten them.
struct SableWaits {
    std::function<void(DWORD milliseconds)> sleep = [](DWORD milliseconds) { ::Sleep(milliseconds); };
    DWORD readEventMs = 10000;          // one device read
    DWORD usbPrintJobMs = 90000;
    DWORD usbCalibrationMs = 120000;
    DWORD networkJobMs = 120000;
    DWORD requestPauseMs = 1000;        // after the USB job head and body writes
    DWORD readPauseMs = 100;            // before every head and chunked read
    DWORD networkTimeoutMs = 10000;     // each connect, send and receive of a network fetch
    int64_t maxBodyBytes = 8 * 1024 * 1024; // a device that keeps sending is cut off here
};

class CSableManager : public CDeviceAccessManager {
public:
    static constexpr DWORD kReadBlock = 2048;
    static constexpr int kReadFailureLimit = 10;
    // Reads that may bring nothing before a head read gives up (the device fell silent).
    static constexpr int kHeadReadLimit = 10;

    CSableManager() = default;
    ~CSableManager() override;

    void SetWaits(SableWaits waits) { waits_ = std::move(waits); }
    const SableWaits& Waits() const { return waits_; }

    // Every operation works on the printer record it is handed; the manager keeps no selection.

    // USB channel: the resource's body into "<application folder>\<fileName>".
    bool GetDocumentOverUsb(const Device_Dev& device, const std::wstring& resourcePath, const std::wstring& fileName);
    bool GetInterfaceSymbolicLink(const Device_Dev& device, const GUID& interfaceClass,
                                  std::vector<std::wstring>& paths);
    bool InitializeDeviceConnection(const std::wstring& path, NGWinApi::UniqueDeviceHandle& device);
    bool WriteSOAPRequest(HANDLE device, const std::wstring& resourcePath);
    bool ReadSOAPResponseHeader(HANDLE device, std::string& leftover, int32_t& contentLength);
    bool ReadSOAPResposeContent(HANDLE file, HANDLE device, const std::string& leftover, int32_t contentLength);
    bool ReadChunkedContent(HANDLE file, HANDLE device, const std::string& leftover);
    void WriteToFile(HANDLE file, const char* bytes, DWORD count, DWORD& written);

    // Network channel.
    bool GetDocumentOverNetwork(const Device_Dev& device, const std::wstring& fileName,
                                const std::wstring& resourcePath);
    // The raw response head of a POST to the network device; nothing on failure,
    // and LastPostFailure() says which step failed.
    enum class PostFailure { None, Open, Connect, Request, Send, Head };
    PostFailure LastPostFailure() const { return lastPostFailure_; }
    std::optional<std::wstring> PostOverNetwork(const Device_Dev& device, const std::string& resourcePath, const std::string& extraHeaders,
                                                const std::string& body);

    // Readers.
    bool GetDeviceInfo(const Device_Dev& device);
    bool GetInkLevelInfo(const Device_Dev& device);
    bool GetPrintHeadInfo(const Device_Dev& device);
    bool GetDeviceStatus(const Device_Dev& device);
    // The device status flag of the first status after a status read; 6 when none was read.
    int32_t GetSableStatusFlag(const Device_Dev& device);
    bool GetMakeAndModel(const Device_Dev& device, std::wstring& modelName);
    // The text of the first node `xpath` selects in the file; nothing when none or unreadable.
    static std::optional<std::wstring> GetNodeText(const std::wstring& filePath, const std::wstring& xpath);
    // Every element of that qualified name, in document order (an empty pointer on failure).
    static XmlDom::NodeListPtr GetElements(IXMLDOMDocument2* document, const std::wstring& tagName);

    // The device operations: the printhead read's result does not decide a Sable information read.
    bool ReadDeviceInformation(const Device_Dev& device) override
    {
        GetPrintHeadInfo(device);
        return GetDeviceInfo(device);
    }
    bool ReadInkLevels(const Device_Dev& device) override { return GetInkLevelInfo(device); }
    bool ReadDeviceStatus(const Device_Dev& device) override { return GetDeviceStatus(device); }

    // Jobs.
    bool PrintDiagnosticsPage(const Device_Dev& device) override;
    bool PrintQualityPage(const Device_Dev& device) override;
    bool CleanPrintheads(const Device_Dev& device) override;
    bool AlignPrintheads(const Device_Dev& device) override { return AlignPrintHead(device); }
    bool StartService(const Device_Dev& device, const std::string& jobType);
    bool StartServiceForNetworkDevice(const Device_Dev& device, const std::string& jobType);
    bool AlignPrintHead(const Device_Dev& device);

private:
    // One read of up to kReadBlock bytes through an OVERLAPPED with `event`: the bytes, or
    // nothing for a time-out, a failed completion (logged) or an empty read.
    enum class ReadOutcome { Bytes, Empty, Nothing };
    ReadOutcome ReadBlock(HANDLE device, HANDLE event, char* block, DWORD& count);
    // Fetches over the device's transport.
    bool Fetch(const Device_Dev& device, const std::wstring& resourcePath, const std::wstring& fileName);
    // Runs one reader with COM initialised and the records locked; an exception is logged
    // with `exceptionLine` and gives false.
    bool RunReader(const wchar_t* exceptionLine, const std::function<bool()>& read);
    // Fetch, logging a failure with the network line or the given USB line.
    bool FetchOrLog(const Device_Dev& device, const std::wstring& resourcePath, const std::wstring& fileName, const wchar_t* usbLine);

    bool FindInterfacePath(const Device_Dev& device, std::wstring& path);
    bool UsbJob(const Device_Dev& device, const std::string& requestLine, const std::string& body, bool calibration);
    bool NetworkJob(const Device_Dev& device, const std::string& resourcePath, const std::string& body,
                    bool calibration);
    // Starts the poller for the stored job location on `device` (the poller keeps its own copy);
    // false when the thread cannot be created.
    bool StartJobPoller(const Device_Dev& device);
    // Waits for the job event; when the wait runs out the poller is told to stop.
    bool WaitForJob(DWORD waitMs);
    // Tells a running poller to stop and waits until it has.
    void StopJobPoller();
    bool RunService(const Device_Dev& device, const std::string& jobType);
    static DWORD WINAPI JobPoller(LPVOID manager);
    DWORD PollJob();

    SableWaits waits_;
    PostFailure lastPostFailure_ = PostFailure::None;
    DWORD lastPostError_ = 0;
    NGWinApi::UniqueHandle poller_;
    Device_Dev pollerDevice_; // written only while no poller runs
    std::atomic<bool> stopPoller_{false};
};
