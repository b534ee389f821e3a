#include "support/LogFile.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <share.h>

#include "support/LogLine.h"
#include "support/ModuleInfo.h"
#include "support/OSInformation.h"

CLogFile::CLogFile()
{
    wchar_t folder[MAX_PATH] = {};
    if (::GetTempPathW(MAX_PATH, folder) != 0)
        path_ = std::wstring(folder) + L"KeloTSYLog.log";
    WriteBanner();
}

CLogFile::CLogFile(std::wstring path) : path_(std::move(path)) {}

void CLogFile::WriteBanner()
{
    Write(L"-------------- APPLICATION STARTUP --------------------");
    Write(L"Version :%s", GetModuleVersionString().c_str());
    Write(L"Operating System : %s", GetOSSummaryString().c_str());
    Write(L"-------------------------------------------------------");
}

void CLogFile::Write(const wchar_t* format, ...)
{
    NGWinApi::CriticalSectionLock lock(section_);
    if (path_.empty() || format == nullptr)
        return;
    FILE* file = ::_wfsopen(path_.c_str(), L"at", _SH_DENYNO);
    if (file == nullptr)
        return;
    // The CRT's own formatter: %s takes a wide string. A longer message is cut at
    // 1023 characters; the last slot stays the terminator.
    wchar_t message[1024] = {};
    va_list args;
    va_start(args, format);
    ::_vsnwprintf(message, 1023, format, args);
    va_end(args);

    SYSTEMTIME now;
    ::GetLocalTime(&now);
    std::string line = FormatLogPrefix({now.wMonth, now.wDay, now.wYear, now.wHour, now.wMinute,
                                        now.wSecond, now.wMilliseconds});
    line += NarrowForLog(message);
    line += '\n';
    std::fputs(line.c_str(), file);
    std::fclose(file);
}

CLogFile& LogFile()
{
    static CLogFile log;
    return log;
}

namespace {
// Writes the banner before any other static object (the application) starts.
[[maybe_unused]] CLogFile& g_startupLog = LogFile();
} // namespace
