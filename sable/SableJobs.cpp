// Sable jobs the printer runs by itself: post the request, then poll the job it names.
#include <vector>

#include "sable/AnsiText.h"
#include "sable/SableFiles.h"
#include "sable/SableManager.h"
#include "sable/SableRules.h"
#include "support/LogFile.h"

namespace {

constexpr DWORD kAnswerBytes = 4096;
const char kInternalPrintLine[] = "POST /DevMgmt/InternalPrintDyn.xml HTTP/1.1\r\n";
const char kCalibrationLine[] = "POST /Calibration/Session HTTP/1.1\r\n";
const wchar_t kJobFile[] = L"\\Job.xml";

bool WriteAll(HANDLE device, const std::string& bytes, DWORD& written)
{
    written = 0;
    return NGWinApi::DeviceIo().WriteFile(device, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

} // namespace

bool CSableManager::StartJobPoller(const Device_Dev& device)
{
    StopJobPoller();
    pollerDevice_ = device;
    stopPoller_ = false;
    SetJobCompleted(false);
    ::ResetEvent(JobEvent()); // a signal left by an earlier job is not this job's
    poller_.reset(NGWinApi::Kernel().CreateThread(nullptr, 0, &CSableManager::JobPoller, this, 0, nullptr));
    return poller_.valid();
}

bool CSableManager::WaitForJob(DWORD waitMs)
{
    const bool signalled = NGWinApi::Kernel().WaitForSingleObject(JobEvent(), waitMs) == WAIT_OBJECT_0;
    if (!signalled)
        StopJobPoller(); // nobody waits for the job any more
    return signalled;
}

void CSableManager::StopJobPoller()
{
    stopPoller_ = true;
    if (poller_.valid())
        NGWinApi::Kernel().WaitForSingleObject(poller_.get(), INFINITE);
    poller_.reset();
}

DWORD WINAPI CSableManager::JobPoller(LPVOID manager)
{
    return static_cast<CSableManager*>(manager)->PollJob();
}

DWORD CSableManager::PollJob()
{
    std::wstring location;
    for (char c : JobLocation())
        location += static_cast<wchar_t>(static_cast<unsigned char>(c));
    const std::wstring path = ApplicationFilePath(kJobFile);
    ::DeleteFileW(path.c_str());
    NGWinApi::ComInitialization com;
    while (!stopPoller_) {
        if (!Fetch(pollerDevice_, location, kJobFile)) {
            LogFile().Write(pollerDevice_.isNetwork ? L"Failed to save xml for network device. File: %s "
                                      : L"Failed to save xml. File: %s ",
                            kJobFile);
            ::SetEvent(JobEvent());
            return 0;
        }
        const std::wstring state = sable::ToLower(GetNodeText(path, L"/j:Job/j:JobState").value_or(L""));
        ::DeleteFileW(path.c_str());
        if (state == L"completed") {
            // Flag and log line before the signal: the starter goes on as soon as the event comes.
            SetJobCompleted(true);
            LogFile().Write(L"Job completed.");
            ::SetEvent(JobEvent());
            return 1;
        }
        if (state == L"canceled") {
            LogFile().Write(L"Job canceled.");
            ::SetEvent(JobEvent());
            return 1;
        }
    }
    return 0;
}

bool CSableManager::UsbJob(const Device_Dev& device, const std::string& requestLine, const std::string& body, bool calibration)
{
    std::wstring interfacePath;
    if (!FindInterfacePath(device, interfacePath)) {
        LogFile().Write(L"Failed to GetInterfaceSymbolicLink.");
        return false;
    }
    NGWinApi::UniqueDeviceHandle channel(NGWinApi::DeviceIo().CreateFileW(
        interfacePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
        FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!channel) {
        LogFile().Write(L"CreateFile API failed.");
        return false;
    }
    std::vector<char> answer(kAnswerBytes + 1, '\0');
    // Drivers report an idle channel as 0 bytes or as no size at all; only bytes waiting are stale.
    const DWORD waiting = NGWinApi::DeviceIo().GetFileSize(channel.get(), nullptr);
    if (waiting != 0 && waiting != INVALID_FILE_SIZE) {
        DWORD read = 0;
        if (!NGWinApi::DeviceIo().ReadFile(channel.get(), answer.data(), kAnswerBytes, &read, nullptr)) {
            if (calibration)
                LogFile().Write(L"ReadFile API failed.");
            return false;
        }
    }

    const std::string head = sable::JobRequestHead(requestLine, body.size());
    DWORD written = 0;
    bool sent = true;
    if (calibration) {
        sent = WriteAll(channel.get(), head + body, written);
    } else if ((sent = WriteAll(channel.get(), head, written)) && written == head.size()) {
        waits_.sleep(waits_.requestPauseMs);
        sent = WriteAll(channel.get(), body, written);
        waits_.sleep(waits_.requestPauseMs);
    }
    if (!sent) {
        LogFile().Write(L"Failed to write the request.");
        return false;
    }

    std::fill(answer.begin(), answer.end(), '\0');
    DWORD read = 0;
    bool answered = false;
    if (!NGWinApi::DeviceIo().ReadFile(channel.get(), answer.data(), kAnswerBytes, &read, nullptr)) {
        LogFile().Write(L"ReadFile API failed. Err - %ld", static_cast<long>(::GetLastError()));
    } else {
        const sable::JobAnswer parsed = sable::ParseJobAnswer(std::string(answer.data()));
        if (!parsed.accepted || !parsed.location) {
            // Without a job location there is nothing to poll: fail rather than poll an old job.
            LogFile().Write(L"Request failed.");
        } else {
            SetJobLocation(*parsed.location);
            answered = true;
        }
    }
    if (!answered) {
        LogFile().Write(L"Failed to read response.");
        return false;
    }
    channel.reset();

    if (!StartJobPoller(device)) {
        if (!calibration) {
            LogFile().Write(L"Create Thread Failed - %ld.", static_cast<long>(::GetLastError()));
            return false;
        }
    }
    const bool signalled = WaitForJob(calibration ? waits_.usbCalibrationMs : waits_.usbPrintJobMs);
    return calibration ? signalled : signalled && JobCompleted();
}

bool CSableManager::NetworkJob(const Device_Dev& device, const std::string& resourcePath, const std::string& body, bool calibration)
{
    const std::optional<std::wstring> head = PostOverNetwork(device, resourcePath, sable::JobExtraHeaders(body.size()), body);
    if (!head) {
        const long error = static_cast<long>(lastPostError_);
        switch (lastPostFailure_) {
        case PostFailure::Open:
            LogFile().Write(calibration ? L"InternetOpenA API failed. - %ld" : L"InternetOpenA API failed.Err: %ld",
                            error);
            break;
        case PostFailure::Connect:
            LogFile().Write(calibration ? L"InternetConnectA API failed.- %ld"
                                        : L"InternetConnectA API failed.Err: %ld",
                            error);
            break;
        case PostFailure::Request:
            LogFile().Write(calibration ? L"HttpOpenRequestA API failed.- %ld"
                                        : L"HttpOpenRequestA API failed.Err: %ld",
                            error);
            break;
        default:
            // Not sent at all, or no answer head: there is no job to wait for.
            if (calibration)
                LogFile().Write(L"Failed to read HTTP response.");
            else
                LogFile().Write(L"Failed to read http response.Err: %ld", error);
            break;
        }
        return false;
    }
    const sable::JobAnswer parsed = sable::ParseJobAnswer(ToAnsi(*head));
    if (!parsed.accepted || !parsed.location) {
        LogFile().Write(calibration ? L"Failed to get job Xpath." : L"Failed to get job XPath.");
        return false;
    }
    SetJobLocation(*parsed.location);
    StartJobPoller(device);
    WaitForJob(waits_.networkJobMs);
    return true;
}

bool CSableManager::StartService(const Device_Dev& device, const std::string& jobType)
{
    try {
        return UsbJob(device, kInternalPrintLine, sable::InternalPrintDocument(jobType), false);
    } catch (...) {
        LogFile().Write(L"Exception occured in StartService.");
        return false;
    }
}

bool CSableManager::StartServiceForNetworkDevice(const Device_Dev& device, const std::string& jobType)
{
    try {
        return NetworkJob(device, "/DevMgmt/InternalPrintDyn.xml", sable::InternalPrintDocument(jobType), false);
    } catch (...) {
        LogFile().Write(L"Exception occured in StartServiceForNetworkDevice");
        return false;
    }
}

bool CSableManager::AlignPrintHead(const Device_Dev& device)
{
    try {
        if (device.isNetwork)
            return NetworkJob(device, "/Calibration/Session", sable::CalibrationDocument(), true);
        return UsbJob(device, kCalibrationLine, sable::CalibrationDocument(), true);
    } catch (...) {
        LogFile().Write(L"Exception occured in AlignPrintHead.");
        return false;
    }
}

bool CSableManager::RunService(const Device_Dev& device, const std::string& jobType)
{
    return device.isNetwork ? StartServiceForNetworkDevice(device, jobType) : StartService(device, jobType);
}

bool CSableManager::PrintDiagnosticsPage(const Device_Dev& device)
{
    return RunService(device, "diagnosticsPage");
}

bool CSableManager::PrintQualityPage(const Device_Dev& device)
{
    return RunService(device, "pqDiagnosticsPage");
}

bool CSableManager::CleanPrintheads(const Device_Dev& device)
{
    if (!RunService(device, "cleaningPage")) {
        LogFile().Write(device.isNetwork ? L"Failed to start service for network devices. Service: %s"
                                            : L"Failed to start service. Service: %s",
                        L"cleaningPage");
        return false;
    }
    return RunService(device, "cleaningVerificationPage");
}
