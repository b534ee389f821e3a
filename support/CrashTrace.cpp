#include "support/CrashTrace.h"

#include <dbghelp.h>

#include "support/LogFile.h"
#include "winapi/DeviceIoApi.h"

namespace {

std::wstring ModuleOf(const void* address)
{
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(address), &module))
        return L"unknown module";
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(module, path, MAX_PATH);
    const uintptr_t offset = reinterpret_cast<uintptr_t>(address) - reinterpret_cast<uintptr_t>(module);
    wchar_t text[MAX_PATH + 32];
    ::wsprintfW(text, L"%s+0x%lx", path, static_cast<unsigned long>(offset));
    return text;
}

} // namespace

std::wstring CrashDumpPath()
{
    const std::wstring& log = LogFile().Path();
    const size_t slash = log.find_last_of(L"\\/");
    return (slash == std::wstring::npos ? std::wstring() : log.substr(0, slash + 1)) + L"KeloTSYCrash.dmp";
}

void InstallCrashTrace()
{
    ::SetUnhandledExceptionFilter(&WriteCrashTrace);
}

LONG WINAPI WriteCrashTrace(EXCEPTION_POINTERS* exception)
{
    const EXCEPTION_RECORD* record = exception != nullptr ? exception->ExceptionRecord : nullptr;
    const DWORD code = record != nullptr ? record->ExceptionCode : 0;
    const void* address = record != nullptr ? record->ExceptionAddress : nullptr;
    LogFile().Write(L"Unhandled exception 0x%08lx at %p in %s (thread %lu)", static_cast<unsigned long>(code),
                    address, ModuleOf(address).c_str(), static_cast<unsigned long>(::GetCurrentThreadId()));

    const std::wstring path = CrashDumpPath();
    NGWinApi::UniqueDeviceHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    MINIDUMP_EXCEPTION_INFORMATION information = {::GetCurrentThreadId(), exception, FALSE};
    const bool written = file && ::MiniDumpWriteDump(::GetCurrentProcess(), ::GetCurrentProcessId(), file.get(),
                                                     MiniDumpNormal, exception != nullptr ? &information : nullptr,
                                                     nullptr, nullptr);
    LogFile().Write(written ? L"Crash dump written: %s" : L"Crash dump could not be written: %s", path.c_str());
    return EXCEPTION_EXECUTE_HANDLER;
}

void LogThreadException(const wchar_t* name)
{
    LogFile().Write(L"Thread %s (%lu) ended by an exception", name, static_cast<unsigned long>(::GetCurrentThreadId()));
}
