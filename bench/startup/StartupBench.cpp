// Times a program from its start to its first visible top-level window, then closes it:
// the same measure for the tool and for the minimal dialog program beside which it is shown.
// usage: startup_bench PROGRAM [ARGUMENTS]   prints "seconds S" and "window TITLE"
#include <windows.h>

#include <cstdio>
#include <string>

#include "winapi/Handles.h"

namespace {

struct Search {
    DWORD processId = 0;
    HWND found = nullptr;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !::IsWindowVisible(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_bench PROGRAM [ARGUMENTS]\n");
        return 2;
    }
    std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
    for (int i = 2; i < argc; ++i)
        commandLine += L" " + std::wstring(argv[i]);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    LARGE_INTEGER now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        std::fprintf(stderr, "cannot start %ls (%lu)\n", argv[1], ::GetLastError());
        return 1;
    }
    NGWinApi::UniqueHandle processHandle(process.hProcess);
    NGWinApi::UniqueHandle threadHandle(process.hThread);
    Search search{process.dwProcessId, nullptr};
    double seconds = 0;
    // Looks every millisecond: finer than any difference the table shows.
    while (search.found == nullptr && seconds < 60) {
        if (::WaitForSingleObject(processHandle.get(), 1) == WAIT_OBJECT_0)
            break;
        ::EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
        ::QueryPerformanceCounter(&now);
        seconds = static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    }
    int status = 0;
    if (search.found != nullptr) {
        wchar_t title[256] = {};
        ::GetWindowTextW(search.found, title, ARRAYSIZE(title));
        std::printf("seconds %.3f\nwindow %ls\n", seconds, title);
    } else {
        std::fprintf(stderr, "no visible window of %ls within %.1f s\n", argv[1], seconds);
        status = 1;
    }
    // The measure is taken: the program need not close cleanly.
    ::TerminateProcess(processHandle.get(), 0);
    ::WaitForSingleObject(processHandle.get(), 10000);
    return status;
}
