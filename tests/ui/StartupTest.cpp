// Starts the real KeloTessaly.exe and watches its windows and its log.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <commctrl.h>

#include "TestFolder.h"
#include "app/CustomTabCtrl.h"
#include "sable/SimControl.h"
#include "ui/LayoutCheck.h"
#include "ui/Screenshot.h"
#include "res/resource.h"
#include "support/LanguageChoice.h"

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

// A block of another process's memory, for messages whose parameters point at structures.
struct RemoteMemory {
    RemoteMemory(HANDLE process, size_t size)
        : process(process), address(::VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE))
    {
    }
    ~RemoteMemory()
    {
        if (address != nullptr)
            ::VirtualFreeEx(process, address, 0, MEM_RELEASE);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    template <class T>
    bool Write(const T& value) const
    {
        return ::WriteProcessMemory(process, address, &value, sizeof value, nullptr) != FALSE;
    }
    template <class T>
    bool Read(T& value) const
    {
        return ::ReadProcessMemory(process, address, &value, sizeof value, nullptr) != FALSE;
    }
    LPARAM Param() const { return reinterpret_cast<LPARAM>(address); }

    HANDLE process;
    void* address;
};

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
    // List views of the tool are asked through item structures in the tool's own memory.
    // The image index of every row (the wizard's step icons).
    std::vector<int> ListImages(HWND list) const
    {
        std::vector<int> images;
        RemoteMemory remote(process_.hProcess, sizeof(LVITEMW));
        const int rows = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < rows && remote.address != nullptr; ++row) {
            LVITEMW item = {};
            item.mask = LVIF_IMAGE;
            item.iItem = row;
            if (!remote.Write(item) || !::SendMessageW(list, LVM_GETITEMW, 0, remote.Param()) || !remote.Read(item))
                break;
            images.push_back(item.iImage);
        }
        return images;
    }
    // The row whose first column contains `text`, selected as a click would; false when none does.
    bool SelectListRow(HWND list, const std::wstring& text) const
    {
        struct Exchange {
            LVITEMW item;
            wchar_t text[256];
        };
        RemoteMemory remote(process_.hProcess, sizeof(Exchange));
        const int rows = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < rows && remote.address != nullptr; ++row) {
            Exchange exchange = {};
            exchange.item.pszText = reinterpret_cast<Exchange*>(remote.address)->text;
            exchange.item.cchTextMax = 256;
            if (!remote.Write(exchange) || ::SendMessageW(list, LVM_GETITEMTEXTW, row, remote.Param()) < 0 ||
                !remote.Read(exchange))
                return false;
            if (std::wstring(exchange.text).find(text) == std::wstring::npos)
                continue;
            exchange.item.stateMask = exchange.item.state = LVIS_SELECTED | LVIS_FOCUSED;
            if (!remote.Write(exchange) || !::SendMessageW(list, LVM_SETITEMSTATE, row, remote.Param()))
                return false;
            ::SendMessageW(list, LVM_SETSELECTIONMARK, 0, row);
            return true;
        }
        return false;
    }

    // The text of a cell of a list view of the tool.
    std::wstring ListText(HWND list, int row, int column) const
    {
        struct Exchange {
            LVITEMW item;
            wchar_t text[256];
        };
        RemoteMemory remote(process_.hProcess, sizeof(Exchange));
        Exchange exchange = {};
        exchange.item.iSubItem = column;
        exchange.item.pszText = reinterpret_cast<Exchange*>(remote.address)->text;
        exchange.item.cchTextMax = 256;
        if (remote.address == nullptr || !remote.Write(exchange) ||
            ::SendMessageW(list, LVM_GETITEMTEXTW, row, remote.Param()) < 0 || !remote.Read(exchange))
            return L"<unreadable>";
        return exchange.text;
    }

private:
    PROCESS_INFORMATION process_ = {};
    bool started_ = false;
};

auto Titled(const std::wstring& title)
{
    return [title](HWND hwnd) { return TextOf(hwnd) == title; };
}

// A message box whose text starts with `text`.
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
                s->found = s->found || TextOf(child).starts_with(*s->text);
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
    return ::GetDlgItem(window, IDC_FEEDBACK_TEXT) != nullptr;
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

    // A second start ends at once, without a window, and brings the first back to the front.
    ::ShowWindow(main, SW_MINIMIZE);
    ASSERT_TRUE(WaitFor([&] { return ::IsIconic(main) != FALSE; }));
    Tool second(DistFolder() + L"\\KeloTessaly.exe");
    ASSERT_TRUE(second.Started());
    EXPECT_TRUE(second.Exited());
    EXPECT_EQ(second.Window(), nullptr);
    EXPECT_FALSE(first.Exited(0ms));
    EXPECT_TRUE(::IsWindow(main));
    EXPECT_TRUE(WaitFor([&] { return ::IsIconic(main) == FALSE; }, 5s)) << "the running window stayed minimized";

    EXPECT_TRUE(CloseTool(first, main));
}

TEST_F(Startup, WarnsAboutAMissingStringFileBeforeTheAdministratorCheck)
{
    LogTail log;
    Tool tool(CopyOfTool({}));
    ASSERT_TRUE(tool.Started());
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = tool.Window(MessageBoxWith(L"XML Loading Failed."))) != nullptr; }));
    // The box names the file it could not read.
    EXPECT_TRUE(tool.Window(MessageBoxWith(L"XML Loading Failed.\n\n" + folder_.File(L"strings\\1033.xml"))));
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

// A wizard page told apart by which of its controls show, and which it has at all.
struct PageSignature {
    const char* name;
    std::vector<int> shown;
    std::vector<int> hidden;
    std::vector<int> present = {};
};

const PageSignature kPrintTestPage{"print test page", {1021, 1212}, {}};
const PageSignature kPrintEvaluationPage{"print evaluation page", {1018, 1013, 1019}, {}};
const PageSignature kCopyTestPage{"copy test page", {1004, 1002, 1020}, {}};
const PageSignature kCopyEvaluationPage{"copy evaluation page", {1045, 1044}, {}};
const PageSignature kFinalPage{"final page", {1030, 1046}, {}};
const PageSignature kNoPrintPage{"no print page", {1043, 1005}, {1030}};
const PageSignature kPrintBadPage{"print bad page", {1138, 1143, 1005}, {}};
const PageSignature kCopyFailedPage{"copy failed page", {1207, 1041, 1005}, {1138}};
// The device status page (the one with the picture button 1146) in its forms: a fault with the
// troubleshooting button, the first unknown status (care link, no manual steps), and an unknown
// status again (support links and Close).
const PageSignature kStatusFaultPage{"device status page (fault)", {1005, 1002, 1038, 1000}, {1020}, {1146}};
const PageSignature kStatusFirstUnknownPage{"device status page (first unknown status)", {1005, 1002, 1038},
                                            {1020, 1036, 1000}, {1146}};
const PageSignature kStatusUnknownAgainPage{"device status page (unknown status again)", {1005, 1020, 1211, 1041},
                                            {1002, 1038}, {1146}};

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

bool Showing(HWND page, int id)
{
    HWND control = ::GetDlgItem(page, id);
    return control != nullptr && ::IsWindowVisible(control);
}

// The visible page under `main` that matches `signature`.
HWND VisiblePage(HWND main, const PageSignature& signature)
{
    struct Search {
        const PageSignature* signature;
        HWND found;
    } search = {&signature, nullptr};
    struct Visit {
        static BOOL CALLBACK Child(HWND child, LPARAM param)
        {
            auto* s = reinterpret_cast<Search*>(param);
            if (!::IsWindowVisible(child) || !::IsWindowVisible(::GetParent(child)))
                return TRUE;
            for (int id : s->signature->shown)
                if (!Showing(child, id))
                    return TRUE;
            for (int id : s->signature->present)
                if (::GetDlgItem(child, id) == nullptr)
                    return TRUE;
            for (int id : s->signature->hidden)
                if (Showing(child, id))
                    return TRUE;
            s->found = child;
            return FALSE;
        }
    };
    ::EnumChildWindows(main, &Visit::Child, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

constexpr int F = 0; // failed
constexpr int N = 1; // not run
constexpr int P = 2; // passed
constexpr int C = 3; // current

// One step of a run: optionally change the printers, press a button of the page showing, wait for
// the page that follows (and, if given, its step icons).
struct RunStep {
    int press;
    PageSignature next;
    std::vector<int> icons = {};
    const char* sableSettings = nullptr;
    const char* quillSettings = nullptr;
};

constexpr wchar_t kSablePrinter[] = L"(127.0.0.10)";
constexpr wchar_t kQuillPrinter[] = L"(127.0.0.11)";

struct DemoRoute {
    const char* name;
    std::vector<RunStep> steps;
    // The printer picked on the selection page.
    const wchar_t* printer = kSablePrinter;
    // Printer settings for the whole run.
    const char* sableSettings = nullptr;
    const char* quillSettings = nullptr;
    // The log shows one of these (the Sable or the Quill way of saying it).
    std::vector<const char*> logLines = {};
    bool cleanThenRetry = false;
    bool closeThroughFeedback = false;
};

constexpr int kDiagnose = 1003;

// The tool's main window once it lists the demo printers, `printer` selected as a click would;
// null when the tool did not start or does not list the printer.
HWND OpenOnPrinter(const Tool& tool, const wchar_t* printer)
{
    HWND main = nullptr;
    if (!tool.Started() || !WaitFor([&] { return (main = tool.Window(Titled(L"Kelo Tessaly 4.0"))) != nullptr; }) ||
        !WaitFor([&] { return VisibleControl(main, kDiagnose) != nullptr; }))
        return nullptr;
    HWND list = VisibleControl(main, IDC_PRINTER_LIST);
    return list != nullptr && tool.SelectListRow(list, printer) ? main : nullptr;
}
constexpr int kSendTestPrint = 1021;
constexpr int kPrintGood = 1003;
constexpr int kPrintBad = 1018;
constexpr int kNoPrint = 1013;
constexpr int kCopyContinue = 1002;
constexpr int kCopyFailed = 1020;
constexpr int kCopyGood = 1045;
constexpr int kCopyBad = 1044;
constexpr int kRetry = 1005;

const char* const kJamSable = "statuses = jamInPrinter\nalert = jamInPrinter severity=Error priority=1";
const char* const kJamQuill = "status-code = 14";
const char* const kHealthySable = "statuses = ready\nalert =";
const char* const kHealthyQuill = "status-code = 0\nfeeder-status = 0010";

const RunStep kToPrintEvaluation[] = {
    {kDiagnose, kPrintTestPage},
    {kSendTestPrint, kPrintEvaluationPage, {P, P, P, C, N, N}},
};

std::vector<RunStep> ToPrintEvaluationThen(std::vector<RunStep> rest)
{
    std::vector<RunStep> steps(std::begin(kToPrintEvaluation), std::end(kToPrintEvaluation));
    steps.insert(steps.end(), rest.begin(), rest.end());
    return steps;
}

// Every end a demo printer can reach, and the Quill printer's way to the ends its status decides.
const DemoRoute kRoutes[] = {
    {.name = "HealthyCopierToTheFinalPage",
     .steps = ToPrintEvaluationThen({{kPrintGood, kCopyTestPage},
                                     {kCopyContinue, kCopyEvaluationPage},
                                     {kCopyGood, kFinalPage, {P, P, P, P, P, P}}}),
     .logLines = {"Writing the data to printer success."},
     .closeThroughFeedback = true},
    {.name = "PrintBadWithCleaningAndRetry",
     .steps = ToPrintEvaluationThen({{kPrintBad, kPrintBadPage, {P, P, P, F, N, N}}}),
     .cleanThenRetry = true},
    {.name = "NoPrintFromAHealthyPrinter",
     .steps = ToPrintEvaluationThen({{kNoPrint, kNoPrintPage, {P, P, P, F, N, N}}}),
     .logLines = {"No Print: status flag 0"}},
    {.name = "NoPrintFromAPrinterJammedSinceThePrint",
     .steps = ToPrintEvaluationThen({{kNoPrint, kStatusFaultPage, {}, kJamSable, kJamQuill}}),
     .logLines = {"No Print: status flag 14"}},
    {.name = "CopyFailed",
     .steps = ToPrintEvaluationThen({{kPrintGood, kCopyTestPage}, {kCopyFailed, kCopyFailedPage, {P, P, P, P, F, N}}})},
    {.name = "CopyBad",
     .steps = ToPrintEvaluationThen({{kPrintGood, kCopyTestPage},
                                     {kCopyContinue, kCopyEvaluationPage},
                                     {kCopyBad, kCopyFailedPage, {P, P, P, P, P, F}}})},
    {.name = "PaperJam",
     .steps = {{kDiagnose, kStatusFaultPage, {P, F, N, N, N, N}}},
     .sableSettings = kJamSable,
     .quillSettings = kJamQuill,
     .logLines = {" is 14\r\n", "Device status test CUE printer"}},
    {.name = "DocumentFeederJam",
     .steps = {{kDiagnose, kStatusFaultPage, {P, F, N, N, N, N}}},
     .sableSettings = "statuses = scannerAdfJam",
     .quillSettings = "feeder-status = 0008",
     .logLines = {" is 65\r\n", "now checking to find out any ADF error"}},
    {.name = "UnknownStatusFirstThenAgain",
     .steps = {{kDiagnose, kStatusFirstUnknownPage, {P, F, N, N, N, N}},
               {kRetry, kStatusUnknownAgainPage, {P, F, N, N, N, N}}},
     .sableSettings = "statuses = unknown",
     .quillSettings = "status-code = 6"},
    {.name = "QuillCopierToTheFinalPage",
     .steps = ToPrintEvaluationThen({{kPrintGood, kCopyTestPage},
                                     {kCopyContinue, kCopyEvaluationPage},
                                     {kCopyGood, kFinalPage, {P, P, P, P, P, P}}}),
     .printer = kQuillPrinter,
     .logLines = {"Writing the data to printer success."}},
    {.name = "QuillNoPrintFromAPrinterJammedSinceThePrint",
     .steps = ToPrintEvaluationThen({{kNoPrint, kStatusFaultPage, {}, nullptr, kJamQuill}}),
     .printer = kQuillPrinter,
     .logLines = {"No Print: status flag 14"}},
    {.name = "QuillPaperJam",
     .steps = {{kDiagnose, kStatusFaultPage, {P, F, N, N, N, N}}},
     .printer = kQuillPrinter,
     .quillSettings = kJamQuill,
     .logLines = {"Device status test CUE printer"}},
    {.name = "QuillDocumentFeederJam",
     .steps = {{kDiagnose, kStatusFaultPage, {P, F, N, N, N, N}}},
     .printer = kQuillPrinter,
     .quillSettings = "feeder-status = 0008",
     .logLines = {"now checking to find out any ADF error"}},
    {.name = "QuillUnknownStatusFirstThenAgain",
     .steps = {{kDiagnose, kStatusFirstUnknownPage, {P, F, N, N, N, N}},
               {kRetry, kStatusUnknownAgainPage, {P, F, N, N, N, N}}},
     .printer = kQuillPrinter,
     .quillSettings = "status-code = 6"},
};

// The demo printers of the end-to-end run, their records of what they received cleared.
class DemoPrinters : public Startup {
protected:
    void SetUp() override
    {
        Startup::SetUp();
        if (IsSkipped())
            return;
        if (std::getenv("KELO_DEMO_PRINTERS") == nullptr || !sim_.Ready())
            GTEST_SKIP() << "needs the demo printers and their simulator (the demo end-to-end test runs it)";
        for (const char* printer : {"sable-net", "quill-net"})
            sim_.Post(std::string("/printers/") + printer + "/clear", "");
    }

    SimControl sim_;
};

template <class Route>
std::string RouteName(const ::testing::TestParamInfo<Route>& info)
{
    return info.param.name;
}

class DemoRun : public DemoPrinters, public ::testing::WithParamInterface<DemoRoute> {
protected:
    void SetUp() override
    {
        DemoPrinters::SetUp();
        if (!IsSkipped())
            Apply(GetParam().sableSettings, GetParam().quillSettings);
    }
    void TearDown() override
    {
        if (sim_.Ready())
            Apply(kHealthySable, kHealthyQuill);
    }
    void Apply(const char* sable, const char* quill)
    {
        if (sable != nullptr) {
            EXPECT_TRUE(sim_.Settings("sable-net", sable));
        }
        if (quill != nullptr) {
            EXPECT_TRUE(sim_.Settings("quill-net", quill));
        }
    }
    int Received(const char* what) const
    {
        return sim_.Count("sable-net", what) + sim_.Count("quill-net", what);
    }
};

INSTANTIATE_TEST_SUITE_P(Demo, DemoRun, ::testing::ValuesIn(kRoutes), RouteName<DemoRoute>);

} // namespace

// A whole run of the first demo printer from the selection page to one of its ends.
TEST_P(DemoRun, FromTheSelectionPageToItsEnd)
{
    const DemoRoute& route = GetParam();
    LogTail log;
    Tool tool(DistFolder() + L"\\KeloTessaly.exe");
    HWND main = nullptr;
    ASSERT_NE(main = OpenOnPrinter(tool, route.printer), nullptr) << "the demo printer is listed";

    HWND page = main;
    for (const RunStep& step : route.steps) {
        Apply(step.sableSettings, step.quillSettings);
        HWND button = page == main ? VisibleControl(main, step.press) : ::GetDlgItem(page, step.press);
        ASSERT_TRUE(button != nullptr && ::IsWindowVisible(button)) << "button " << step.press << " before the "
                                                                     << step.next.name;
        ::PostMessageW(button, BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return (page = VisiblePage(main, step.next)) != nullptr; }, 60s))
            << step.next.name << "\n" << log.Appended();
        if (!step.icons.empty()) {
            EXPECT_EQ(tool.ListImages(::GetDlgItem(page, IDC_STEP_LIST)), step.icons) << step.next.name;
        }
    }
    const std::wstring routeName(route.name, route.name + std::strlen(route.name));
    EXPECT_EQ(LayoutFaults(main), "") << route.name;
    SaveWindowPicture(main, GalleryPath(L"demo_run_" + routeName + L".bmp"));

    const std::string lines = log.Appended();
    if (!route.logLines.empty()) {
        bool said = false;
        for (const char* line : route.logLines)
            said = said || lines.find(line) != std::string::npos;
        EXPECT_TRUE(said) << route.logLines.front() << "\n" << lines;
    }
    wchar_t message[512] = {};
    ::GetDlgItemTextW(page, IDC_PAGE_MESSAGE, message, 512);
    EXPECT_NE(std::wstring(message), L"") << "the end page explains itself";
    // A fault found before the print sends nothing to print.
    const bool printed = std::any_of(route.steps.begin(), route.steps.end(),
                                     [](const RunStep& step) { return step.press == kSendTestPrint; });
    EXPECT_EQ(Received("print-jobs") > 0, printed);
    if (printed) {
        // The picked printer printed, the other one did not.
        const bool quill = std::wstring(route.printer) == kQuillPrinter;
        EXPECT_GT(sim_.Count(quill ? "quill-net" : "sable-net", "print-jobs"), 0);
        EXPECT_EQ(sim_.Count(quill ? "sable-net" : "quill-net", "print-jobs"), 0);
    }

    if (route.cleanThenRetry) {
        // Cleaning goes through the progress popup to the printer; Retry then goes back to printing.
        const int before = Received("sets") + Received("job-posts");
        ::PostMessageW(::GetDlgItem(page, IDC_PRINT_BAD_CLEAN), BM_CLICK, 0, 0);
        HWND popup = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (popup = tool.Window([&](HWND w) { return w != main; })) != nullptr; }))
            << "the progress popup shows";
        EXPECT_TRUE(WaitFor([&] { return Received("sets") + Received("job-posts") > before; }, 30s));
        // Gone, not only hidden: a click that arrives while its modal loop ends is not delivered.
        ASSERT_TRUE(WaitFor([&] { return !::IsWindow(popup); }, 30s)) << "the progress popup goes";
        // Retry prints again at once and asks about the new page.
        const int printsBefore = Received("print-jobs");
        ::PostMessageW(::GetDlgItem(page, kRetry), BM_CLICK, 0, 0);
        EXPECT_TRUE(WaitFor([&] { return VisiblePage(main, kPrintEvaluationPage) != nullptr; }, 60s))
            << log.Appended();
        EXPECT_EQ(Received("print-jobs"), printsBefore + 1);
    }

    if (route.closeThroughFeedback) {
        // English: closing offers the survey first.
        ::PostMessageW(main, WM_CLOSE, 0, 0);
        HWND feedback = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (feedback = tool.Window(IsFeedbackDialog)) != nullptr; }));
        ::PostMessageW(feedback, WM_CLOSE, 0, 0);
        EXPECT_TRUE(tool.Exited());
    } else {
        EXPECT_TRUE(CloseTool(tool, main));
    }
}

namespace {

constexpr int kTabServices = 1;
constexpr int kTabInkLevels = 2;
constexpr int kTabFirmware = 3;

// Where tab `index` of the tool's strip lies: a strip of the same size, style and English labels,
// laid out here by the same code.
POINT TabCentre(HWND strip, int index)
{
    CCustomTabCtrl::RegisterWindowClass();
    RECT client = {};
    ::GetClientRect(strip, &client);
    HWND parent = ::CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    HWND mirror = ::CreateWindowW(L"CCustomTabCtrl", L"", WS_CHILD, 0, 0, client.right, client.bottom, parent,
                                  nullptr, nullptr, nullptr);
    RECT tab = {};
    {
        CCustomTabCtrl tabs;
        tabs.Attach(mirror);
        const wchar_t* labels[] = {L"Diagnosis", L"Printer Services", L"Ink Levels", L"Printer Information"};
        for (int i = 0; i < 4; ++i)
            tabs.InsertItem(i, labels[i], 0);
        tabs.ModifyStyle(kTabStyleEqualWidth | kTabStyleBottom | kTabStyleAutoButtons);
        tabs.GetItemRect(index, tab);
    }
    ::DestroyWindow(parent);
    return {(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2};
}

// Presses `press` (a control of the page showing, or a tab) and waits until the progress popup it
// runs has come and gone; how long it showed.
std::chrono::milliseconds ThroughThePopup(const Tool& tool, HWND main, const std::function<void()>& press)
{
    const auto isPopup = [&](HWND window) { return window != main && !IsFeedbackDialog(window); };
    press();
    HWND popup = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (popup = tool.Window(isPopup)) != nullptr; }, 10s)) << "the popup shows";
    const auto shown = std::chrono::steady_clock::now();
    EXPECT_TRUE(WaitFor([&] { return popup == nullptr || !::IsWindow(popup); }, 120s)) << "the popup goes";
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - shown);
}

// What a click on tab `index` of the tool's strip sends.
std::function<void()> TabClick(HWND strip, int index)
{
    const POINT at = TabCentre(strip, index);
    return [=] {
        ::PostMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        ::PostMessageW(strip, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    };
}

struct TabRoute {
    const char* name;
    const wchar_t* printer;
    const char* simName;
    std::vector<std::wstring> colours, levels;
    std::wstring model, serial, firmware, pageCount;
    const char* silence;
};

const TabRoute kTabRoutes[] = {
    {"SableTabs", kSablePrinter, "sable-net", {L"Black", L"Cyan", L"Magenta", L"Yellow"}, {L"72", L"64", L"58", L"81"},
     L"Kelo Workline 4420 All-in-One", L"CN5912D01A", L"WKL4420CN2431AR", L"18342", "fault.http = silence"},
    {"QuillTabs", kQuillPrinter, "quill-net", {L"Black", L"Cyan", L"Magenta", L"Yellow"}, {L"45", L"33", L"52", L"61"},
     L"Kelo Workline 6500 All-in-One", L"CN7511Q02B", L"WKL6500CN1947BR", L"40211", "fault.snmp = silence"},
};

const PageSignature kInkTab{"ink levels tab", {IDC_INK_LIST, IDC_INK_REFRESH}, {}};
const PageSignature kFirmwareTab{"printer information tab", {IDC_UPDATE_FIRMWARE, IDC_FIRMWARE_REFRESH}, {}};
const PageSignature kServicesTab{"printer services tab", {IDC_SERVICE_CLEAN, IDC_SERVICES_EXIT}, {}};

class DemoTabs : public DemoPrinters, public ::testing::WithParamInterface<TabRoute> {
protected:
    void TearDown() override
    {
        if (sim_.Ready())
            sim_.Settings(GetParam().simName, "fault.http =\nfault.snmp =");
    }
    void Picture(HWND main, const char* tab)
    {
        const std::string name = std::string("demo_tabs\\") + GetParam().name + "_" + tab + ".bmp";
        EXPECT_TRUE(SaveWindowPicture(main, GalleryPath(std::wstring(name.begin(), name.end()))));
    }
};

INSTANTIATE_TEST_SUITE_P(Demo, DemoTabs, ::testing::ValuesIn(kTabRoutes), RouteName<TabRoute>);

} // namespace

// Each information tab of the real tool shows what the demo printer serves, the services reach
// it, and a printer gone silent leaves the not-available texts.
TEST_P(DemoTabs, EachTabShowsWhatThePrinterServes)
{
    const TabRoute& route = GetParam();
    LogTail log;
    Tool tool(DistFolder() + L"\\KeloTessaly.exe");
    HWND main = nullptr;
    ASSERT_NE(main = OpenOnPrinter(tool, route.printer), nullptr) << "the demo printer is listed";
    ::PostMessageW(VisibleControl(main, kDiagnose), BM_CLICK, 0, 0);
    // The first two tests have passed: no test runs while the tabs read the printer.
    ASSERT_TRUE(WaitFor([&] { return VisiblePage(main, kPrintTestPage) != nullptr; }, 60s)) << log.Appended();
    HWND strip = ::GetDlgItem(main, IDC_TABCTRL);
    const auto selectTab = [&](int tab) { return TabClick(strip, tab); };

    // Ink levels: one column per cartridge with the printer's colours and levels.
    const auto inkShown = ThroughThePopup(tool, main, selectTab(kTabInkLevels));
    HWND ink = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (ink = VisiblePage(main, kInkTab)) != nullptr; }));
    HWND cartridges = ::GetDlgItem(ink, IDC_INK_LIST);
    ASSERT_EQ(::SendMessageW(ListView_GetHeader(cartridges), HDM_GETITEMCOUNT, 0, 0),
              static_cast<LRESULT>(route.colours.size() + 1));
    for (size_t i = 0; i < route.colours.size(); ++i) {
        EXPECT_EQ(tool.ListText(cartridges, 0, static_cast<int>(i + 1)), route.colours[i]);
        EXPECT_EQ(tool.ListText(cartridges, 2, static_cast<int>(i + 1)), route.levels[i]);
    }
    wchar_t text[256] = {};
    ::GetDlgItemTextW(ink, IDC_INK_NOTICE, text, 256);
    EXPECT_STREQ(text, L"Estimated ink levels of the installed cartridges");
    Picture(main, "ink_levels");

    // Printer services: Clean reaches the printer.
    selectTab(kTabServices)();
    HWND services = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (services = VisiblePage(main, kServicesTab)) != nullptr; }));
    Picture(main, "printer_services");
    const std::string received = std::string("/printers/") + route.simName + "/received";
    const int before = sim_.Count(route.simName, "sets") + sim_.Count(route.simName, "job-posts");
    ThroughThePopup(tool, main, [&] { ::PostMessageW(::GetDlgItem(services, IDC_SERVICE_CLEAN), BM_CLICK, 0, 0); });
    EXPECT_GT(sim_.Count(route.simName, "sets") + sim_.Count(route.simName, "job-posts"), before);
    if (std::string(route.simName) == "sable-net") {
        EXPECT_NE(sim_.Get(received + "/jobs").find("cleaningPage"), std::string::npos);
    }

    // Printer information: what the printer says about itself.
    const auto infoShown = ThroughThePopup(tool, main, selectTab(kTabFirmware));
    HWND info = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (info = VisiblePage(main, kFirmwareTab)) != nullptr; }));
    const auto value = [&](int id) {
        ::GetDlgItemTextW(info, id, text, 256);
        return std::wstring(text);
    };
    EXPECT_EQ(value(IDC_FIRMWARE_MODEL), route.model);
    EXPECT_EQ(value(IDC_FIRMWARE_SERIAL), route.serial);
    EXPECT_EQ(value(IDC_FIRMWARE_VERSION), route.firmware);
    EXPECT_EQ(value(IDC_FIRMWARE_PAGE_COUNT), route.pageCount);
    EXPECT_NE(value(IDC_FIRMWARE_HEAD_NUMBER), L"Not available");
    EXPECT_NE(value(IDC_FIRMWARE_HEAD_HEALTH), L"Not available");
    Picture(main, "printer_information");

    // Silent now: Refresh on the information tab, then the ink tab, leave the not-available texts.
    ASSERT_TRUE(sim_.Settings(route.simName, route.silence));
    const auto silentInfoShown =
        ThroughThePopup(tool, main, [&] { ::PostMessageW(::GetDlgItem(info, IDC_FIRMWARE_REFRESH), BM_CLICK, 0, 0); });
    for (int id : {IDC_FIRMWARE_MODEL, IDC_FIRMWARE_SERIAL, IDC_FIRMWARE_PAGE_COUNT, IDC_FIRMWARE_HEAD_NUMBER})
        EXPECT_EQ(value(id), L"Not available") << id;
    Picture(main, "printer_information_silent");
    const auto silentInkShown = ThroughThePopup(tool, main, selectTab(kTabInkLevels));
    ASSERT_TRUE(WaitFor([&] { return (ink = VisiblePage(main, kInkTab)) != nullptr; }));
    ::GetDlgItemTextW(ink, IDC_INK_NOTICE, text, 256);
    EXPECT_STREQ(text, L"Ink level information is not available.");
    ::GetDlgItemTextW(ink, IDC_INK_REGION, text, 256);
    EXPECT_STREQ(text, L"Not available");
    EXPECT_EQ(::SendMessageW(ListView_GetHeader(::GetDlgItem(ink, IDC_INK_LIST)), HDM_GETITEMCOUNT, 0, 0), 1);
    Picture(main, "ink_levels_silent");

    std::printf("[ figures  ] %s popup shown: ink levels %lld ms, printer information %lld ms; silent printer: "
                "ink levels %lld ms, printer information %lld ms\n",
                route.name, static_cast<long long>(inkShown.count()), static_cast<long long>(infoShown.count()),
                static_cast<long long>(silentInkShown.count()), static_cast<long long>(silentInfoShown.count()));
    // A silent printer keeps the popup no longer than the channel's time-outs allow (Sable: three
    // attempts of 10 s for each of two documents).
    EXPECT_LT(silentInfoShown, 80s);
    EXPECT_LT(silentInkShown, 45s);
    EXPECT_TRUE(CloseTool(tool, main));
}


namespace {

// The user-interface languages and a Unix locale of each, under which Wine gives the tool that
// language as the user's.
struct UiLanguage {
    int id;
    const char* locale;
};

const UiLanguage kUiLanguages[] = {
    {1033, "en_US.UTF-8"}, {1028, "zh_TW.UTF-8"}, {1029, "cs_CZ.UTF-8"}, {1030, "da_DK.UTF-8"},
    {1031, "de_DE.UTF-8"}, {1032, "el_GR.UTF-8"}, {1034, "es_ES.UTF-8"}, {1035, "fi_FI.UTF-8"},
    {1036, "fr_FR.UTF-8"}, {1038, "hu_HU.UTF-8"}, {1040, "it_IT.UTF-8"}, {1041, "ja_JP.UTF-8"},
    {1042, "ko_KR.UTF-8"}, {1043, "nl_NL.UTF-8"}, {1044, "nb_NO.UTF-8"}, {1045, "pl_PL.UTF-8"},
    {1046, "pt_BR.UTF-8"}, {1049, "ru_RU.UTF-8"}, {1053, "sv_SE.UTF-8"}, {1055, "tr_TR.UTF-8"},
    {2052, "zh_CN.UTF-8"},
};

std::string LanguageName(const ::testing::TestParamInfo<UiLanguage>& info)
{
    return std::to_string(info.param.id);
}

// The value of `key` in the shipped string file of `language`, read as the file stands.
std::wstring ShippedText(int language, const std::string& key)
{
    std::FILE* file = _wfopen((DistFolder() + L"\\strings\\" + std::to_wstring(language) + L".xml").c_str(), L"rb");
    if (file == nullptr)
        return L"<no file>";
    std::string content;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        content.append(chunk, n);
    std::fclose(file);
    const std::string opening = "ID=\"" + key + "\" Value=\"";
    const size_t start = content.find(opening);
    if (start == std::string::npos)
        return L"<no key>";
    std::string value = content.substr(start + opening.size());
    value.resize(value.find('"'));
    for (const auto& [entity, text] : {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}})
        for (size_t at; (at = value.find(entity)) != std::string::npos;)
            value.replace(at, std::strlen(entity), text);
    std::wstring wide(value.size(), L'\0');
    wide.resize(static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, value.data(), static_cast<int>(value.size()),
                                                          wide.data(), static_cast<int>(wide.size()))));
    return wide;
}

class LanguageRun : public DemoPrinters, public ::testing::WithParamInterface<UiLanguage> {
protected:
    void TearDown() override
    {
        if (sim_.Ready()) {
            sim_.Settings("quill-net", kHealthyQuill);
        }
    }
    // Every layout fault of the window showing `page`, and its picture when `picture` is named.
    void Check(HWND main, const char* page, const char* picture = nullptr)
    {
        EXPECT_EQ(LayoutFaults(main), "") << page;
        if (picture != nullptr) {
            const std::string name =
                std::string("languages\\") + std::to_string(GetParam().id) + "_" + picture + ".bmp";
            EXPECT_TRUE(SaveWindowPicture(main, GalleryPath(std::wstring(name.begin(), name.end()))));
        }
    }
};

INSTANTIATE_TEST_SUITE_P(Languages, LanguageRun, ::testing::ValuesIn(kUiLanguages), LanguageName);

} // namespace

// The tool started under the user language of a locale speaks that language through a diagnosis,
// its pages keep their controls apart and inside their frames, and the gallery gets their pictures.
// (Whether each text fits its control is measured in-process, where the tool's fonts can be read.)
TEST_P(LanguageRun, ADiagnosisSpeaksTheLanguageOfTheLocale)
{
    const UiLanguage& language = GetParam();
    // Wine takes the user's language from the Unix locale a program starts under, and the tool
    // inherits this program's: the demo test starts it once per language.
    if (ChooseUiLanguage(::GetUserDefaultLangID()) != language.id)
        GTEST_SKIP() << "runs where the user's language is " << language.id << " (LC_ALL=" << language.locale << ")";
    LogTail log;
    ASSERT_TRUE(sim_.Settings("quill-net", kJamQuill));
    Tool tool(DistFolder() + L"\\KeloTessaly.exe");
    HWND main = nullptr;
    ASSERT_NE(main = OpenOnPrinter(tool, kQuillPrinter), nullptr) << "the demo printer is listed";
    std::wstring title = ShippedText(language.id, "TSY_TITLE_STRING");
    if (const size_t version = title.find(L"%1"); version != std::wstring::npos)
        title.replace(version, 2, L"4.0");
    EXPECT_EQ(TextOf(main), title);
    EXPECT_EQ(TextOf(VisibleControl(main, kDiagnose)), ShippedText(language.id, "TSY_DIAGNOSE_BUTTON"));
    const std::string loaded = "String table " + std::to_string(language.id) + ".xml loaded";
    EXPECT_NE(log.Appended().find(loaded), std::string::npos) << loaded;
    Check(main, "selection page", "selection");

    const RunStep steps[] = {
        {kDiagnose, kStatusFaultPage},
        {kRetry, kPrintTestPage, {}, nullptr, kHealthyQuill},
        {kSendTestPrint, kPrintEvaluationPage},
        {kPrintGood, kCopyTestPage},
        {kCopyContinue, kCopyEvaluationPage},
        {kCopyGood, kFinalPage},
    };
    HWND page = main;
    for (const RunStep& step : steps) {
        if (step.quillSettings != nullptr) {
            EXPECT_TRUE(sim_.Settings("quill-net", step.quillSettings));
        }
        HWND button = page == main ? VisibleControl(main, step.press) : ::GetDlgItem(page, step.press);
        ASSERT_TRUE(button != nullptr && ::IsWindowVisible(button)) << "button " << step.press << " before the "
                                                                     << step.next.name;
        ::PostMessageW(button, BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return (page = VisiblePage(main, step.next)) != nullptr; }, 60s))
            << step.next.name << "\n" << log.Appended();
        const bool pictured = step.next.name == kStatusFaultPage.name || step.next.name == kFinalPage.name;
        Check(main, step.next.name, pictured ? (step.next.name == kFinalPage.name ? "final" : "device_status") : nullptr);
    }
    EXPECT_TRUE(CloseTool(tool, main));
}

namespace {

// The tool in a prefix without print queues: the demo printers are only found by searching.
class DemoSearch : public Startup {
protected:
    void SetUp() override
    {
        Startup::SetUp();
        if (IsSkipped())
            return;
        if (std::getenv("KELO_DEMO_SEARCH") == nullptr || !sim_.Ready())
            GTEST_SKIP() << "needs the demo simulator and no installed queues (the demo end-to-end test runs it)";
        for (const char* printer : {"sable-net", "quill-net"})
            sim_.Post(std::string("/printers/") + printer + "/clear", "");
    }

    SimControl sim_;
};

} // namespace

TEST_F(DemoSearch, NotListedNetworkFindsTheDemoPrintersAndAFoundOneIsDiagnosed)
{
    LogTail log;
    Tool tool(DistFolder() + L"\\KeloTessaly.exe");
    ASSERT_TRUE(tool.Started());
    HWND main = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (main = tool.Window(Titled(L"Kelo Tessaly 4.0"))) != nullptr; }));
    ASSERT_TRUE(WaitFor([&] { return VisibleControl(main, IDC_NOT_LISTED) != nullptr; }));
    ::PostMessageW(VisibleControl(main, IDC_NOT_LISTED), BM_CLICK, 0, 0);

    HWND question = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        return (question = tool.Window([](HWND w) { return ::GetDlgItem(w, IDC_NETWORK_BUTTON) != nullptr; })) !=
               nullptr;
    })) << "the USB or network question";
    const auto pressed = std::chrono::steady_clock::now();
    ::PostMessageW(::GetDlgItem(question, IDC_NETWORK_BUTTON), BM_CLICK, 0, 0);
    HWND search = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        return (search = tool.Window([](HWND w) { return ::GetDlgItem(w, IDC_SEARCH_TEXT) != nullptr; })) != nullptr;
    })) << "the search window shows\n" << log.Appended();
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(search); }, 120s)) << "the search window ends by itself";
    HWND list = VisibleControl(main, IDC_PRINTER_LIST);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(WaitFor([&] { return ::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 2; }))
        << "the list shows the two demo printers\n" << log.Appended();
    const auto listed = std::chrono::steady_clock::now();
    std::printf("search from Network pressed to the refreshed list: %lld ms\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(listed - pressed).count()));

    ASSERT_TRUE(tool.SelectListRow(list, L"Workline 6500")) << "the Quill demo printer is listed";
    ::PostMessageW(VisibleControl(main, kDiagnose), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return VisiblePage(main, kPrintTestPage) != nullptr; }, 60s))
        << "the found printer passes the connectivity and device status checks\n" << log.Appended();
    EXPECT_TRUE(CloseTool(tool, main));
}
