// Starts the real KeloTessaly.exe and watches its windows and its log.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "TestFolder.h"

namespace {

using namespace std::chrono_literals;

std::wstring DistFolder()
{
    const char* dist = std::getenv("KELO_DIST");
    return dist != nullptr ? WinePathOf(dist) : std::wstring();
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = 20s)
{
    for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
        if (condition())
            return true;
        std::this_thread::sleep_for(30ms);
    }
    return condition();
}

std::wstring TextOf(HWND window)
{
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

class Tool {
public:
    explicit Tool(const std::wstring& exe)
    {
        STARTUPINFOW startup = {sizeof startup};
        std::wstring commandLine = L"\"" + exe + L"\"";
        started_ = ::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                    nullptr, &startup, &process_);
    }
    ~Tool()
    {
        if (!started_)
            return;
        if (::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(process_.hProcess, 1);
            ::WaitForSingleObject(process_.hProcess, 5000);
        }
        ::CloseHandle(process_.hThread);
        ::CloseHandle(process_.hProcess);
    }
    bool Started() const { return started_; }
    bool Exited(std::chrono::milliseconds limit = 20s) const
    {
        return ::WaitForSingleObject(process_.hProcess, static_cast<DWORD>(limit.count())) == WAIT_OBJECT_0;
    }
    // A visible top-level window of this process that `match` accepts.
    HWND Window(const std::function<bool(HWND)>& match = [](HWND) { return true; }) const
    {
        struct Search {
            DWORD pid;
            const std::function<bool(HWND)>* match;
            HWND found;
        } search = {process_.dwProcessId, &match, nullptr};
        struct Visit {
            static BOOL CALLBACK Window(HWND hwnd, LPARAM param)
            {
                auto* s = reinterpret_cast<Search*>(param);
                DWORD pid = 0;
                ::GetWindowThreadProcessId(hwnd, &pid);
                if (pid == s->pid && ::IsWindowVisible(hwnd) && (*s->match)(hwnd)) {
                    s->found = hwnd;
                    return FALSE;
                }
                return TRUE;
            }
        };
        ::EnumWindows(&Visit::Window, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

private:
    PROCESS_INFORMATION process_ = {};
    bool started_ = false;
};

auto Titled(const std::wstring& title)
{
    return [title](HWND hwnd) { return TextOf(hwnd) == title; };
}

// A message box showing `text`.
auto MessageBoxWith(const std::wstring& text)
{
    return [text](HWND hwnd) {
        struct Search {
            const std::wstring* text;
            bool found;
        } search = {&text, false};
        struct Visit {
            static BOOL CALLBACK Child(HWND child, LPARAM param)
            {
                auto* s = reinterpret_cast<Search*>(param);
                s->found = s->found || TextOf(child) == *s->text;
                return TRUE;
            }
        };
        ::EnumChildWindows(hwnd, &Visit::Child, reinterpret_cast<LPARAM>(&search));
        return search.found;
    };
}

// The survey dialog an English run offers when it closes.
bool IsFeedbackDialog(HWND window)
{
    return ::GetDlgItem(window, 1226) != nullptr;
}

// Closes the tool through its main window, declining the survey an English run offers; true
// once the process has ended.
bool CloseTool(const Tool& tool, HWND main)
{
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    for (auto end = std::chrono::steady_clock::now() + 20s; std::chrono::steady_clock::now() < end;) {
        if (tool.Exited(50ms))
            return true;
        if (HWND feedback = tool.Window(IsFeedbackDialog))
            ::PostMessageW(feedback, WM_CLOSE, 0, 0);
    }
    return tool.Exited(0ms);
}

size_t Find(const std::string& log, const std::string& message)
{
    return log.find("):" + message + "\r\n");
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (DistFolder().empty())
            GTEST_SKIP() << "KELO_DIST names the program folder";
    }
    // A private copy of the program with the given string files beside it.
    std::wstring CopyOfTool(const std::vector<std::pair<std::wstring, std::string>>& stringFiles)
    {
        std::filesystem::copy_file(DistFolder() + L"\\KeloTessaly.exe", folder_.File(L"KeloTessaly.exe"));
        for (const auto& [name, content] : stringFiles)
            folder_.Write(L"strings\\" + name, content);
        return folder_.File(L"KeloTessaly.exe");
    }

    TestFolder folder_;
};

std::string TitleFile(const std::string& title)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Strings><String ID=\"TSY_TITLE_STRING\" Value=\"" +
           title + "\"/></Strings>";
}

} // namespace

TEST_F(Startup, OpensItsWindowLogsTheBannerAndRunsOnce)
{
    LogTail log;
    Tool first(DistFolder() + L"\\KeloTessaly.exe");
    ASSERT_TRUE(first.Started());
    HWND main = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (main = first.Window(Titled(L"Kelo Tessaly 4.0"))) != nullptr; }));

    std::string lines = log.Appended();
    size_t banner = Find(lines, "-------------- APPLICATION STARTUP --------------------");
    ASSERT_NE(banner, std::string::npos) << lines;
    size_t version = Find(lines, "Version :4.0.0.35");
    size_t system = lines.find("):Operating System : ", banner);
    size_t end = Find(lines, "-------------------------------------------------------");
    size_t admin = Find(lines, "Logged in as administrator");
    EXPECT_TRUE(banner < version && version < system && system < end && end < admin) << lines;
    // The component beside the executable is found without any registration.
    size_t enumeration = Find(lines, "Enumarate Printers");
    EXPECT_TRUE(admin < enumeration && enumeration < Find(lines, "Enumaration success")) << lines;

    // A second start ends at once, without a window, and leaves the first alone.
    Tool second(DistFolder() + L"\\KeloTessaly.exe");
    ASSERT_TRUE(second.Started());
    EXPECT_TRUE(second.Exited());
    EXPECT_EQ(second.Window(), nullptr);
    EXPECT_FALSE(first.Exited(0ms));
    EXPECT_TRUE(::IsWindow(main));

    EXPECT_TRUE(CloseTool(first, main));
}

TEST_F(Startup, WarnsAboutAMissingStringFileBeforeTheAdministratorCheck)
{
    LogTail log;
    Tool tool(CopyOfTool({}));
    ASSERT_TRUE(tool.Started());
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = tool.Window(MessageBoxWith(L"XML Loading Failed."))) != nullptr; }));
    EXPECT_NE(Find(log.Appended(), "XMLDom Load (XMLHandler) failed"), std::string::npos);
    EXPECT_EQ(Find(log.Appended(), "Logged in as administrator"), std::string::npos);

    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    HWND main = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (main = tool.Window(Titled(L""))) != nullptr; }));
    std::string lines = log.Appended();
    EXPECT_LT(Find(lines, "XML Loading Failed."), Find(lines, "Logged in as administrator")) << lines;
    EXPECT_TRUE(CloseTool(tool, main));
}

// Runs where the user's language is Chinese (PRC); ctest starts it so.
TEST_F(Startup, PicksTheStringFileOfTheUsersLanguage)
{
    if (::GetUserDefaultLangID() != 2052)
        GTEST_SKIP() << "needs a Chinese (PRC) user language";
    const std::wstring exe = CopyOfTool({{L"1033.xml", TitleFile("English %1")},
                                         {L"2052.xml", TitleFile("\xE6\xB5\x8B\xE8\xAF\x95 %1")}});
    {
        Tool tool(exe);
        HWND main = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (main = tool.Window(Titled(L"\x6D4B\x8BD5 4.0"))) != nullptr; }));
        ::PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_TRUE(tool.Exited());
    }
    folder_.Remove(L"strings\\2052.xml");
    Tool tool(exe);
    HWND main = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (main = tool.Window(Titled(L"English 4.0"))) != nullptr; }));
    EXPECT_TRUE(CloseTool(tool, main));
}

namespace {

// The visible window under `parent` (at any depth) whose control id is `id`.
HWND VisibleControl(HWND parent, int id)
{
    struct Search {
        int id;
        HWND found;
    } search = {id, nullptr};
    struct Visit {
        static BOOL CALLBACK Child(HWND child, LPARAM param)
        {
            auto* s = reinterpret_cast<Search*>(param);
            if (::GetDlgCtrlID(child) == s->id && ::IsWindowVisible(child) && ::IsWindowVisible(::GetParent(child))) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        }
    };
    ::EnumChildWindows(parent, &Visit::Child, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace

// Run by the demo end-to-end test with the demo printers up and installed as print queues: a whole
// run of the first printer (a copier) from the selection page to the final page, then closing
// through the feedback dialog.
TEST_F(Startup, DiagnosesTheFirstDemoPrinterToTheEndAndClosesThroughTheFeedback)
{
    if (std::getenv("KELO_DEMO_PRINTERS") == nullptr)
        GTEST_SKIP() << "needs the demo printers (the demo end-to-end test runs it)";
    LogTail log;
    Tool tool(DistFolder() + L"\\KeloTessaly.exe");
    ASSERT_TRUE(tool.Started());
    HWND main = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (main = tool.Window(Titled(L"Kelo Tessaly 4.0"))) != nullptr; }));
    EXPECT_TRUE(WaitFor([&] { return VisibleControl(main, 1003) != nullptr; }));
    EXPECT_NE(log.Appended().find(" Interface Name : 127.0.0.1"), std::string::npos) << "the demo printers are listed";

    // Each step: press a button of the page showing, wait for a control of the page that follows.
    const struct {
        int press;
        int nextPageControl;
        const char* next;
    } steps[] = {
        {1003, 1212, "print test page (after the connectivity and device status tests)"}, // Diagnose
        {1021, 1018, "print evaluation page (after the print went out)"},                  // Send Test Print
        {1003, 1020, "copy test page"},                                                    // Print Good
        {1002, 1045, "copy evaluation page"},                                              // Continue
        {1045, 1006, "final page"},                                                        // Copy Good
    };
    for (const auto& step : steps) {
        HWND button = VisibleControl(main, step.press);
        ASSERT_NE(button, nullptr) << "before the " << step.next;
        ::PostMessageW(button, BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return VisibleControl(main, step.nextPageControl) != nullptr; }, 60s))
            << step.next << "\n" << log.Appended();
    }
    const std::string lines = log.Appended();
    EXPECT_TRUE(lines.find("Status flag from  device") != std::string::npos ||
                lines.find("Device status test CUE printer") != std::string::npos)
        << lines;
    EXPECT_NE(lines.find("Writing the data to printer success."), std::string::npos) << lines;

    // English: closing offers the survey first.
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    HWND feedback = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (feedback = tool.Window(IsFeedbackDialog)) != nullptr; }));
    ::PostMessageW(feedback, WM_CLOSE, 0, 0);
    EXPECT_TRUE(tool.Exited());
}

// Run by the demo end-to-end test with every demo printer in trouble (KELO_DEMO_FAULT: "jam" for a
// paper jam, "adf" for a document feeder jam): the device status test fails and the run ends on
// the device status page, which explains the condition.
TEST_F(Startup, DiagnosesAFaultyDemoPrinterToTheDeviceStatusPage)
{
    const char* fault = std::getenv("KELO_DEMO_FAULT");
    if (fault == nullptr)
        GTEST_SKIP() << "needs the demo printers in trouble (the demo end-to-end test runs it)";
    // What the Sable and the Quill path log for the condition.
    const bool feeder = std::string(fault) == "adf";
    const char* sableLine = feeder ? " is 65\r\n" : " is 14\r\n";
    const char* quillLine = feeder ? "now checking to find out any ADF error" : "Device status test CUE printer";
    LogTail log;
    Tool tool(DistFolder() + L"\\KeloTessaly.exe");
    ASSERT_TRUE(tool.Started());
    HWND main = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (main = tool.Window(Titled(L"Kelo Tessaly 4.0"))) != nullptr; }));
    HWND diagnose = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (diagnose = VisibleControl(main, 1003)) != nullptr; }));
    ::PostMessageW(diagnose, BM_CLICK, 0, 0);
    // The device status page: its Retry (1005) on the page that also holds the picture button 1146.
    HWND retry = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        retry = VisibleControl(main, 1005);
        return retry != nullptr && ::GetDlgItem(::GetParent(retry), 1146) != nullptr;
    }, 60s)) << log.Appended();
    wchar_t text[512] = {};
    ::GetDlgItemTextW(::GetParent(retry), 1027, text, 512);
    EXPECT_NE(std::wstring(text), L"") << "the status is explained";
    const std::string lines = log.Appended();
    EXPECT_TRUE(lines.find(sableLine) != std::string::npos || lines.find(quillLine) != std::string::npos) << lines;
    EXPECT_TRUE(CloseTool(tool, main));
}
