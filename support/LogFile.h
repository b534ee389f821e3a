#pragma once
// The process-wide log "KeloTSYLog.log" in the user's temporary folder.
#include <string>

#include "winapi/Handles.h"

class CLogFile {
public:
    // The process log: path from GetTempPathW, then the start-up banner.
    CLogFile();
    // A log at an explicit path, without banner.
    explicit CLogFile(std::wstring path);
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    // printf-style with wide conventions (%s takes a wide string); one line per call.
    void Write(const wchar_t* format, ...);
    const std::wstring& Path() const { return path_; }
    // The four start-up lines: marker, version, system, marker.
    void WriteBanner();

private:

    NGWinApi::CriticalSection section_;
    std::wstring path_;
};

// The global log, constructed during static initialization.
CLogFile& LogFile();
