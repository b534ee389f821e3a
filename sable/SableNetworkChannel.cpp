// The Sable channel over the network: WinINet to port 8080 of the printer.
#include <vector>

#include "sable/AnsiText.h"
#include "sable/SableFiles.h"
#include "sable/SableManager.h"
#include "support/LogFile.h"
#include "winapi/Handles.h"

namespace {

constexpr INTERNET_PORT kSablePort = 8080;
constexpr DWORD_PTR kRequestContext = 0x1001;
constexpr DWORD kDownloadBlock = 102400;
constexpr int kAttempts = 3;

HINTERNET Connect(HINTERNET session, const std::string& host)
{
    return NGWinApi::Internet().InternetConnectA(session, host.c_str(), kSablePort, nullptr, nullptr,
                                                 INTERNET_SERVICE_HTTP, 0, kRequestContext);
}

void SetTimeouts(HINTERNET request, DWORD timeoutMs)
{
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        NGWinApi::Internet().InternetSetOptionW(request, option, &timeoutMs, sizeof timeoutMs);
}

// A sent GET of `path` whose connect, send and receive each give up after `timeoutMs`.
HINTERNET OpenTimedRequest(HINTERNET connection, const std::string& path, DWORD timeoutMs)
{
    NGWinApi::UniqueInternetHandle request(NGWinApi::Internet().HttpOpenRequestA(
        connection, "GET", path.c_str(), nullptr, nullptr, nullptr,
        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, kRequestContext));
    if (!request)
        return nullptr;
    SetTimeouts(request.get(), timeoutMs);
    if (!NGWinApi::Internet().HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0))
        return nullptr;
    return request.release();
}

// What a failed WinINet call says about the printer.
DeviceFault FaultOf(DWORD error)
{
    return error == ERROR_HTTP_INVALID_SERVER_RESPONSE || error == ERROR_HTTP_HEADER_NOT_FOUND
               ? DeviceFault::UnexpectedAnswer
               : DeviceFault::NotAnswering;
}

} // namespace

bool CSableManager::GetDocumentOverNetwork(const Device_Dev& device, const std::wstring& fileName,
                                          const std::wstring& resourcePath)
{
    try {
        const std::wstring& address = device.address;
        const std::string host = ToAnsi(address);
        const std::wstring outputPath = ApplicationFilePath(fileName);

        NGWinApi::UniqueInternetHandle session(
            NGWinApi::Internet().InternetOpenA(" ", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
        if (!session) {
            LogFile().Write(L"InternetOpen API failed. Err: %ld", static_cast<long>(::GetLastError()));
            return false;
        }
        NGWinApi::UniqueInternetHandle connection;
        for (int attempt = 0; attempt < kAttempts && !connection; ++attempt)
            connection.reset(Connect(session.get(), host));
        if (!connection) {
            LogFile().Write(L"InternetConnect API failed.Err: %ld", static_cast<long>(::GetLastError()));
            return false;
        }
        // The request is opened on the connection rather than from the whole URL: only a
        // request handle takes time-outs (Wine passes none down from the session, and closing
        // the session does not end a blocked URL open), so a silent printer cannot hang us.
        // A printer that let the time-out pass is not asked again: that would triple the wait.
        NGWinApi::UniqueInternetHandle download;
        for (int attempt = 0; attempt < kAttempts && !download; ++attempt) {
            download.reset(OpenTimedRequest(connection.get(), ToAnsi(resourcePath), waits_.networkTimeoutMs));
            if (!download && ::GetLastError() == ERROR_INTERNET_TIMEOUT)
                break;
        }
        if (!download) {
            const DWORD error = ::GetLastError();
            LogFile().Write(L"InternetOpenUrl API failed.Err: %ld", static_cast<long>(error));
            SetLastFault(FaultOf(error));
            return false;
        }
        NGWinApi::UniqueDeviceHandle file(NGWinApi::DeviceIo().CreateFileW(outputPath.c_str(), GENERIC_WRITE, 0,
                                                                           nullptr, CREATE_ALWAYS, 0, nullptr));
        if (!file) {
            LogFile().Write(L"CreateFile API Failed. File: %s", outputPath.c_str());
            return false;
        }
        std::vector<char> buffer(kDownloadBlock);
        bool copied = true;
        int64_t total = 0;
        for (;;) {
            DWORD read = 0;
            if (!NGWinApi::Internet().InternetReadFile(download.get(), buffer.data(), kDownloadBlock, &read)) {
                const DWORD error = ::GetLastError();
                LogFile().Write(L"InternetReadFile API failed.Err: %ld", static_cast<long>(error));
                SetLastFault(FaultOf(error));
                copied = false;
                break;
            }
            if (read == 0)
                break;
            DWORD written = 0;
            if (!NGWinApi::DeviceIo().WriteFile(file.get(), buffer.data(), read, &written, nullptr)) {
                LogFile().Write(L"WriteFile API failed.Err: %ld", static_cast<long>(::GetLastError()));
                copied = false;
                break;
            }
            total += read;
            if (total > waits_.maxBodyBytes) {
                SetLastFault(DeviceFault::UnexpectedAnswer);
                copied = false; // a body that never ends
                break;
            }
        }
        if (!copied)
            LogFile().Write(L"Failed to save the file.");
        return copied;
    } catch (...) {
        LogFile().Write(L"Exception occured in GetDocumentOverNetwork.");
        return false;
    }
}

std::optional<std::wstring> CSableManager::PostOverNetwork(const Device_Dev& device, const std::string& resourcePath,
                                                           const std::string& extraHeaders, const std::string& body)
{
    // The job operations log the failures of the first three steps with texts of their own.
    const std::string host = ToAnsi(device.address);
    NGWinApi::UniqueInternetHandle session(
        NGWinApi::Internet().InternetOpenA(" ", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    const auto failed = [this](PostFailure step) {
        lastPostError_ = ::GetLastError();
        lastPostFailure_ = step;
        if (step != PostFailure::Open)
            SetLastFault(FaultOf(lastPostError_));
        return std::nullopt;
    };
    if (!session)
        return failed(PostFailure::Open);
    NGWinApi::UniqueInternetHandle connection(Connect(session.get(), host));
    if (!connection)
        return failed(PostFailure::Connect);
    NGWinApi::UniqueInternetHandle request(NGWinApi::Internet().HttpOpenRequestA(
        connection.get(), "POST", resourcePath.c_str(), nullptr, nullptr, nullptr, INTERNET_FLAG_NO_AUTH,
        kRequestContext));
    if (!request)
        return failed(PostFailure::Request);
    SetTimeouts(request.get(), waits_.networkTimeoutMs);
    std::string payload = body;
    if (!NGWinApi::Internet().HttpSendRequestA(request.get(), extraHeaders.c_str(),
                                               static_cast<DWORD>(extraHeaders.size()), payload.data(),
                                               static_cast<DWORD>(payload.size())))
        return failed(PostFailure::Send);
    DWORD size = 0;
    if (NGWinApi::Internet().HttpQueryInfoW(request.get(), HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr) ||
        ::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return failed(PostFailure::Head);
    std::vector<wchar_t> head(size + 1, L'\0'); // twice the bytes asked for
    DWORD bytes = size * 2;
    if (!NGWinApi::Internet().HttpQueryInfoW(request.get(), HTTP_QUERY_RAW_HEADERS_CRLF, head.data(), &bytes,
                                             nullptr)) {
        LogFile().Write(L"HttpQueryInfo API failed.Err: %ld", static_cast<long>(::GetLastError()));
        return failed(PostFailure::Head);
    }
    lastPostFailure_ = PostFailure::None;
    return std::wstring(head.data());
}
