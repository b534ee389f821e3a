#include "console/KelotsyScan.h"

#include <atomic>
#include <thread>
#include <vector>

#include "console/PrinterSnapshot.h"
#include "console/ScanFormats.h"
#include "support/LogFile.h"
#include "winapi/Handles.h"

namespace {

using Reach = PrinterSnapshot::Reach;

// A worker is bounded by its own operations' time-outs; this guards only against one that hangs.
constexpr DWORD kWorkerBoundMs = 240000;
constexpr DWORD kWorkerPollMs = 20;
constexpr DWORD kReadChunk = 4096;


std::vector<std::wstring> Targets(const CDiagnosticMgr& manager, const KelotsyCommand& command)
{
    std::vector<std::wstring> targets = command.printers;
    if (command.installed) {
        const DeviceList& devices = manager.Devices();
        for (size_t i = 0; i < devices.size(); ++i)
            targets.push_back(devices[i].isNetwork ? devices[i].address : std::to_wstring(i));
    }
    if (command.rangeFirst != 0)
        for (uint32_t address = command.rangeFirst; address <= command.rangeLast && address != 0; ++address)
            targets.push_back(Ipv4Text(address));
    return targets;
}

std::wstring ProgramPath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// Reads what the pipe holds now; false when nothing was there.
bool Drain(HANDLE pipe, std::string& into)
{
    DWORD available = 0;
    if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) || available == 0)
        return false;
    char buffer[kReadChunk];
    DWORD read = 0;
    if (!::ReadFile(pipe, buffer, available < kReadChunk ? available : kReadChunk, &read, nullptr) || read == 0)
        return false;
    into.append(buffer, read);
    return true;
}

class Worker {
public:
    Worker(const std::wstring& program, const KelotsyCommand& command) : program_(program), command_(command) {}

    PrinterSnapshot Run(const std::wstring& printer) const
    {
        PrinterSnapshot failed;
        failed.printer = printer;
        failed.reach = Reach::Failed;
        if (printer.find(L'"') != std::wstring::npos) {
            failed.reach = Reach::UnknownPrinter;
            return failed;
        }
        std::wstring line = L"\"" + program_ + L"\" snapshot \"" + printer + L"\"";
        if (command_.languageId)
            line += L" --lang " + std::to_wstring(*command_.languageId);

        NGWinApi::UniqueHandle output;
        PROCESS_INFORMATION process{};
        {
            // Children started meanwhile by other workers may inherit this write end too; they
            // never write to it, and the reader waits for its own child's exit, not for the
            // pipe's end, so no lock has to make process creation (slow under Wine) one at a time.
            SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
            HANDLE readEnd = nullptr;
            HANDLE writeEnd = nullptr;
            if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0))
                return failed;
            output.reset(readEnd);
            NGWinApi::UniqueHandle write(writeEnd);
            ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
            NGWinApi::UniqueHandle nul(::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                     &inherit, OPEN_EXISTING, 0, nullptr));
            STARTUPINFOW startup{};
            startup.cb = sizeof startup;
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdInput = nul.get();
            startup.hStdOutput = write.get();
            startup.hStdError = nul.get();
            if (!::CreateProcessW(program_.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                  nullptr, &startup, &process))
                return failed;
        }
        NGWinApi::UniqueHandle processHandle(process.hProcess);
        NGWinApi::UniqueHandle threadHandle(process.hThread);

        std::string text;
        const ULONGLONG deadline = ::GetTickCount64() + kWorkerBoundMs;
        for (;;) {
            while (Drain(output.get(), text)) {
            }
            if (::WaitForSingleObject(processHandle.get(), kWorkerPollMs) == WAIT_OBJECT_0)
                break;
            if (::GetTickCount64() >= deadline) {
                LogFile().Write(L"kelotsy scan: the worker for %s ran out of time", printer.c_str());
                ::TerminateProcess(processHandle.get(), 1);
                failed.reach = Reach::NotAnswering;
                return failed;
            }
        }
        while (Drain(output.get(), text)) {
        }
        std::optional<PrinterSnapshot> snapshot = ParseSnapshot(text);
        if (!snapshot)
            return failed;
        snapshot->printer = printer;
        return *snapshot;
    }

private:
    std::wstring program_;
    const KelotsyCommand& command_;
};

ScanFormat FormatOf(KelotsyCommand::Format format)
{
    switch (format) {
    case KelotsyCommand::Format::Json:
        return ScanFormat::Json;
    case KelotsyCommand::Format::Csv:
        return ScanFormat::Csv;
    case KelotsyCommand::Format::Prometheus:
        return ScanFormat::Prometheus;
    case KelotsyCommand::Format::Text:
        break;
    }
    return ScanFormat::Text;
}

} // namespace

int RunScan(CDiagnosticMgr& manager, const KelotsyCommand& command, KelotsyOutput& output)
{
    const std::vector<std::wstring> targets = Targets(manager, command);
    std::vector<PrinterSnapshot> results(targets.size());
    const Worker worker(ProgramPath(), command);
    std::atomic<size_t> next{0};
    const size_t count = std::min<size_t>(command.jobs, targets.size());
    const ULONGLONG started = ::GetTickCount64();
    {
        std::vector<std::jthread> pool;
        for (size_t i = 0; i < count; ++i)
            pool.emplace_back([&] {
                for (size_t index = next++; index < targets.size(); index = next++)
                    results[index] = worker.Run(targets[index]);
            });
    }
    LogFile().Write(L"kelotsy scan: %u printers with %u workers in %u ms", static_cast<unsigned>(targets.size()),
                    static_cast<unsigned>(count), static_cast<unsigned>(::GetTickCount64() - started));
    output.Out(FormatScan(results, FormatOf(command.format)));
    for (const PrinterSnapshot& result : results)
        if (result.reach != Reach::Answered)
            return kKelotsyFailed;
    return kKelotsyPassed;
}
