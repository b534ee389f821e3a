#pragma once
// The liveness check of a support link and the download of the broker's answer, over WinINet.
#include <windows.h>

#include <string>
#include <vector>

#include "links/LinkRules.h"
#include "winapi/Handles.h"

class CLinkChecker {
public:
    CLinkChecker() = default;
    CLinkChecker(const CLinkChecker&) = delete;
    CLinkChecker& operator=(const CLinkChecker&) = delete;

    // `CheckLink`: "Live" for a page that answers 200, otherwise what went wrong; empty when the
    // check ended before a status was known. Follows at most kMaxLinkRedirects redirects.
    std::wstring CheckLink(const std::wstring& link);

    // `DownloadToFile`: true when the whole body (whatever its status) reached the file.
    bool DownloadToFile(const std::wstring& link, const std::wstring& path);

    // Connect, send and receive time-out of both operations.
    void SetTimeoutMilliseconds(DWORD milliseconds) { timeoutMilliseconds_ = milliseconds; }
    DWORD TimeoutMilliseconds() const { return timeoutMilliseconds_; }

private:
    enum class HeaderQuery { Found, NotFound, OutOfMemory, Exception, Failed };
    struct CloseOnExit;

    struct Attempt {
        std::wstring status;
        std::wstring nextLink; // a redirect to follow
    };

    Attempt CheckOnce(const std::wstring& link);
    Attempt CheckOpened(const std::wstring& link);
    bool OpenSession();
    bool SetTimeouts(HINTERNET handle);
    HeaderQuery QueryHeader(DWORD infoLevel, std::wstring& value);
    // The caller's status text for a header query that found nothing ("Out of memory" is logged here).
    static std::wstring HeaderFailureStatus(HeaderQuery outcome);
    void CloseHandles();

    NGWinApi::UniqueInternetHandle session_;
    NGWinApi::UniqueInternetHandle connection_;
    NGWinApi::UniqueInternetHandle request_;
    DWORD timeoutMilliseconds_ = kLinkTimeoutMilliseconds;
    std::vector<wchar_t> headerBuffer_;
};
