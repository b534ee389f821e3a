#pragma once
// A crash leaves a trace: the exception code, address and module in the log, and a small
// minidump beside the log ("KeloTSYCrash.dmp").
#include <windows.h>

#include <string>

// Installs the unhandled-exception filter for the whole process.
void InstallCrashTrace();

// The filter: writes the log line and the minidump, then lets the process end.
LONG WINAPI WriteCrashTrace(EXCEPTION_POINTERS* exception);

// The minidump's path: beside the log.
std::wstring CrashDumpPath();

// The log line of a thread that ends by an exception.
void LogThreadException(const wchar_t* name);

// Runs a thread's body; an exception that would end the thread is logged with the thread's
// name first (and then ends the thread as a failure).
template <class Body>
DWORD RunThreadLogged(const wchar_t* name, Body body)
{
    try {
        return body();
    } catch (...) {
        LogThreadException(name);
        return 1;
    }
}
