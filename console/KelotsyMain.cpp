// kelotsy.exe: the console front end of the diagnosis engine.
#include <windows.h>

#include <string>
#include <vector>

#include "support/CrashTrace.h"
#include "console/CheckRules.h"
#include "console/JsonWriter.h"
#include "console/Kelotsy.h"

namespace {

// UTF-8 to a pipe or file; wide text to a console window.
void WriteTo(DWORD which, const std::string& utf8, const std::wstring& wide)
{
    HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return;
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(handle, &mode))
        ::WriteConsoleW(handle, wide.c_str(), static_cast<DWORD>(wide.size()), &written, nullptr);
    else
        ::WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

std::wstring FromUtf8(const std::string& utf8)
{
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    return wide;
}

class StandardStreams : public KelotsyOutput {
public:
    void Out(const std::string& utf8) override { WriteTo(STD_OUTPUT_HANDLE, utf8, FromUtf8(utf8)); }
    void Error(const std::wstring& line) override
    {
        WriteTo(STD_ERROR_HANDLE, ToUtf8(line + L"\n"), line + L"\n");
    }
    void Progress(int percent) override
    {
        HANDLE handle = ::GetStdHandle(STD_ERROR_HANDLE);
        DWORD mode = 0;
        if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !::GetConsoleMode(handle, &mode))
            return; // a pipe or file keeps only real messages
        const std::wstring line =
            percent < 0 ? L"\r                                \r" : L"\rsearching the network: " + std::to_wstring(percent) + L"%";
        DWORD written = 0;
        ::WriteConsoleW(handle, line.c_str(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
};

} // namespace

int wmain(int argc, wchar_t** argv)
{
    InstallCrashTrace();
    std::vector<std::wstring> arguments(argv + 1, argv + argc);
    StandardStreams streams;
    const KelotsyParse parse = ParseKelotsyArguments(arguments);
    if (!parse.command && parse.check) {
        streams.Out(ToUtf8(UnknownCheck(parse.error).line + L"\n"));
        return static_cast<int>(CheckState::Unknown);
    }
    if (!parse.command) {
        streams.Error(L"kelotsy: " + parse.error + L" (kelotsy --help shows the usage)");
        return kKelotsyUsageError;
    }
    return RunKelotsy(*parse.command, streams);
}
