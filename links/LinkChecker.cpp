#include "links/LinkChecker.h"

#include <algorithm>
#include <new>

#include "support/LogFile.h"

namespace {

using NGWinApi::Internet;

// Most status codes and redirect heads fit; larger ones go through the size the system reports.
constexpr std::size_t kInitialHeaderChars = 256;

void LogLine(const std::wstring& line)
{
    LogFile().Write(L"%s", line.c_str());
}

DWORD WinInetFlags(const RequestFlags& flags)
{
    DWORD value = 0;
    if (flags.reload)
        value |= INTERNET_FLAG_RELOAD;
    if (flags.existingConnection)
        value |= INTERNET_FLAG_EXISTING_CONNECT;
    if (flags.noCacheWrite)
        value |= INTERNET_FLAG_NO_CACHE_WRITE;
    if (flags.noAutoRedirect)
        value |= INTERNET_FLAG_NO_AUTO_REDIRECT;
    if (flags.ignoreRedirectToHttps)
        value |= INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS;
    return value;
}

const wchar_t* NullWhenEmpty(const std::wstring& text)
{
    return text.empty() ? nullptr : text.c_str();
}

std::wstring CrackedPart(const wchar_t* text, DWORD length)
{
    return text != nullptr ? std::wstring(text, length) : std::wstring();
}

} // namespace

// Every operation leaves no handle open, whichever way it ends.
struct CLinkChecker::CloseOnExit {
    CLinkChecker& checker;
    ~CloseOnExit() { checker.CloseHandles(); }
};

std::wstring CLinkChecker::CheckLink(const std::wstring& link)
{
    try {
        std::wstring current = link;
        for (int redirects = 0;; ++redirects) {
            Attempt attempt = CheckOnce(current);
            if (attempt.nextLink.empty())
                return attempt.status;
            if (redirects == kMaxLinkRedirects) {
                LogLine(LinkLogLine(L"Too many redirects:", link));
                return L"Too many redirects";
            }
            current = std::move(attempt.nextLink);
        }
    } catch (...) {
        CloseHandles();
        LogFile().Write(L"Exception occured in CheckLink.");
        return {};
    }
}

CLinkChecker::Attempt CLinkChecker::CheckOnce(const std::wstring& link)
{
    CloseOnExit closer{*this};

    const auto rejection = RejectLinkBeforeConnect(link);
    if (rejection.rejected) {
        LogLine(rejection.logLine);
        return {rejection.statusText, {}};
    }
    const LinkParts parts = SplitLink(link);

    // Time-outs go on every handle as soon as it exists: a request copies them from its connection
    // when it is made, and some WinINet versions never pass the session's on to its connections.
    if (!OpenSession() || !SetTimeouts(session_.get()))
        return {};
    // Every scheme is asked over plain HTTP on port 80 of its server.
    connection_.reset(Internet().InternetConnectW(session_.get(), parts.host.c_str(), kCheckLinkConnectPort,
                                                  NullWhenEmpty(parts.user), NullWhenEmpty(parts.password),
                                                  INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection_) {
        LogLine(LinkLogLine(L"InternetConnect failed to:", link));
        return {L"InternetConnect failed", {}};
    }
    if (!SetTimeouts(connection_.get()))
        return {};
    // A plain media range: a header line inside an accept type would reach the server as a bare CR.
    LPCWSTR acceptTypes[] = {L"*/*", nullptr};
    request_.reset(Internet().HttpOpenRequestW(connection_.get(), L"GET", parts.path.c_str(), L"HTTP/1.0",
                                               nullptr, acceptTypes, WinInetFlags(RequestFlagsFor(parts.scheme)),
                                               0));
    if (!request_) {
        LogLine(LinkLogLine(L"OpenRequest failed To:", link));
        return {L"OpenRequest failed.", {}};
    }
    if (!SetTimeouts(request_.get()))
        return {};
    if (!Internet().HttpSendRequestW(request_.get(), nullptr, 0, nullptr, 0)) {
        LogLine(LinkLogLine(L"HttpSendRequest failed To:", link));
        return {L"HttpSendRequest failed", {}};
    }

    std::wstring statusCode;
    HeaderQuery query = QueryHeader(HTTP_QUERY_STATUS_CODE, statusCode);
    if (query != HeaderQuery::Found)
        return {HeaderFailureStatus(query), {}};
    const auto outcome = MapHttpStatus(ParseStatusCode(statusCode));
    if (!outcome.isRedirect) {
        if (!outcome.logMessage.empty())
            LogLine(LinkLogLine(outcome.logMessage, link));
        return {outcome.statusText, {}};
    }

    std::wstring rawHeaders;
    query = QueryHeader(HTTP_QUERY_RAW_HEADERS_CRLF, rawHeaders);
    if (query != HeaderQuery::Found)
        return {HeaderFailureStatus(query), {}};
    auto decision = DecideRedirect(rawHeaders, link);
    if (decision.action == RedirectAction::Stop) {
        LogLine(decision.logLine);
        return {decision.statusText, {}};
    }
    return {{}, std::move(decision.nextLink)};
}

bool CLinkChecker::OpenSession()
{
    session_.reset(Internet().InternetOpenW(L"", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!session_) {
        LogFile().Write(L"InternetOpen API failed. Err: %ld", static_cast<long>(::GetLastError()));
        return false;
    }
    return true;
}

bool CLinkChecker::SetTimeouts(HINTERNET handle)
{
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                         INTERNET_OPTION_SEND_TIMEOUT}) {
        DWORD value = timeoutMilliseconds_;
        if (!Internet().InternetSetOptionW(handle, option, &value, sizeof(value)))
            return false;
    }
    return true;
}

CLinkChecker::HeaderQuery CLinkChecker::QueryHeader(DWORD infoLevel, std::wstring& value)
{
    auto outOfMemory = [] {
        LogFile().Write(L"Out of Memory");
        return HeaderQuery::OutOfMemory;
    };
    try {
        if (headerBuffer_.size() < kInitialHeaderChars)
            headerBuffer_.assign(kInitialHeaderChars, L'\0');
        DWORD size = static_cast<DWORD>(headerBuffer_.size() * sizeof(wchar_t));
        BOOL found = Internet().HttpQueryInfoW(request_.get(), infoLevel, headerBuffer_.data(), &size, nullptr);
        DWORD error = found ? ERROR_SUCCESS : ::GetLastError();
        if (!found && error == ERROR_INSUFFICIENT_BUFFER) {
            // The first call told the size it needs: free the old buffer, then ask again.
            if (size > kMaxHeaderBytes)
                return outOfMemory();
            headerBuffer_ = std::vector<wchar_t>();
            headerBuffer_.assign(size / sizeof(wchar_t) + 1, L'\0');
            size = static_cast<DWORD>(headerBuffer_.size() * sizeof(wchar_t));
            found = Internet().HttpQueryInfoW(request_.get(), infoLevel, headerBuffer_.data(), &size, nullptr);
            error = found ? ERROR_SUCCESS : ::GetLastError();
        }
        if (found) {
            value.assign(headerBuffer_.data(), std::min<std::size_t>(size / sizeof(wchar_t), headerBuffer_.size()));
            return HeaderQuery::Found;
        }
        if (error == ERROR_HTTP_HEADER_NOT_FOUND) {
            LogFile().Write(L"Requested HTTP Header not found");
            return HeaderQuery::NotFound;
        }
        LogFile().Write(L"HttpQueryInfo failed. Err: %ld", static_cast<long>(error));
        return HeaderQuery::Failed;
    } catch (const std::bad_alloc&) {
        return outOfMemory();
    } catch (...) {
        LogFile().Write(L"Unhandled exception.");
        CloseHandles();
        return HeaderQuery::Exception;
    }
}

std::wstring CLinkChecker::HeaderFailureStatus(HeaderQuery outcome)
{
    switch (outcome) {
    case HeaderQuery::NotFound:
        return L"Requested HTTP Header not found";
    case HeaderQuery::OutOfMemory:
        LogFile().Write(L"Out of memory");
        return L"Out of memory";
    case HeaderQuery::Exception:
        return L"Unhandled exception.";
    case HeaderQuery::Found:
    case HeaderQuery::Failed:
        break;
    }
    return {};
}

void CLinkChecker::CloseHandles()
{
    request_.reset();
    connection_.reset();
    session_.reset();
}

bool CLinkChecker::DownloadToFile(const std::wstring& link, const std::wstring& path)
{
    try {
        CloseOnExit closer{*this};
        if (!OpenSession() || !SetTimeouts(session_.get()))
            return false;

        // Lengths of 1 with no buffers ask for pointers into the link itself.
        URL_COMPONENTSW parts{};
        parts.dwStructSize = sizeof(parts);
        parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUserNameLength = 1;
        parts.dwPasswordLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
        if (!Internet().InternetCrackUrlW(link.c_str(), 0, 0, &parts))
            return false;
        if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) {
            LogFile().Write(L"Download refused, not an HTTP link: %s", link.c_str());
            return false;
        }
        const std::wstring host = CrackedPart(parts.lpszHostName, parts.dwHostNameLength);
        const std::wstring user = CrackedPart(parts.lpszUserName, parts.dwUserNameLength);
        const std::wstring password = CrackedPart(parts.lpszPassword, parts.dwPasswordLength);
        const std::wstring object = CrackedPart(parts.lpszUrlPath, parts.dwUrlPathLength) +
                                    CrackedPart(parts.lpszExtraInfo, parts.dwExtraInfoLength);
        connection_.reset(Internet().InternetConnectW(session_.get(), host.c_str(), parts.nPort, NullWhenEmpty(user),
                                                      NullWhenEmpty(password), INTERNET_SERVICE_HTTP,
                                                      INTERNET_FLAG_RELOAD | INTERNET_FLAG_PASSIVE, 0));
        if (!connection_ || !SetTimeouts(connection_.get()))
            return false;
        // The link is asked on this connection, not opened as a whole on the session, so the
        // time-outs are in place before anything waits. Always from the server, never into the
        // cache: a stored answer could be stale.
        DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
        if (parts.nScheme == INTERNET_SCHEME_HTTPS)
            flags |= INTERNET_FLAG_SECURE;
        request_.reset(Internet().HttpOpenRequestW(connection_.get(), L"GET", NullWhenEmpty(object), nullptr, nullptr,
                                                   nullptr, flags, 0));
        if (!request_ || !SetTimeouts(request_.get()))
            return false;
        if (!Internet().HttpSendRequestW(request_.get(), nullptr, 0, nullptr, 0)) {
            LogLine(LinkLogLine(L"HttpSendRequest failed To:", link));
            return false;
        }

        DWORD contentLength = 0;
        DWORD size = sizeof(contentLength);
        if (!Internet().HttpQueryInfoW(request_.get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER,
                                       &contentLength, &size, nullptr))
            contentLength = 0;
        const DWORD chunk = contentLength > 0 && contentLength < kDownloadChunkBytes
                                ? contentLength
                                : static_cast<DWORD>(kDownloadChunkBytes);

        NGWinApi::UniqueHandle file(NGWinApi::Kernel().CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            LogFile().Write(L"Failed to create the file %s", path.c_str());
            return false;
        }
        std::vector<char> buffer(chunk + 1);
        std::size_t total = 0;
        for (;;) {
            DWORD read = 0;
            if (!Internet().InternetReadFile(request_.get(), buffer.data(), chunk, &read)) {
                LogFile().Write(L"Error in InternetReadFile.");
                return false;
            }
            if (read == 0)
                return true;
            total += read;
            if (total > kMaxDownloadBytes) {
                LogFile().Write(L"Download stopped after %lu bytes: %s", static_cast<unsigned long>(kMaxDownloadBytes),
                                link.c_str());
                return false;
            }
            DWORD written = 0;
            if (!NGWinApi::Kernel().WriteFile(file.get(), buffer.data(), read, &written, nullptr) ||
                written != read) {
                LogFile().Write(L"Error in WriteFile.");
                return false;
            }
        }
    } catch (...) {
        LogFile().Write(L"Exception occured in DownloadToFile.");
        return false;
    }
}
