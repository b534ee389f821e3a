#pragma once
// What the window-test programs share: the program's data in a scratch folder, message pumps
// that stand in for the modal loops, the top-level host window, stand-ins for the shell and the
// diagnostic core, and small readers and drivers of dialog controls.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "KeloDiagnosticCore.h"
#include "TestFolder.h"
#include "ui/LayoutCheck.h"
#include "ui/Screenshot.h"
#include "app/DialogBase.h"
#include "app/WizardDlg.h"
#include "discovery/Device_Dev.h"
#include "pages/WizardPage.h"
#include "winapi/HostFilesApi.h"
#include "winapi/ShellApi.h"

class CDiagnosticMgr;
class GdiplusSession;

// ---- The program's data ----

// A file of the source tree (KELO_SOURCE_DIR); empty when the variable is not set.
std::string SourceFile(const std::string& relative);

// The English string table and the product catalogue, where the program looks for them.
void WriteProgramData(TestFolder& folder);

// Support portal and main web site on loopback, so no link built in a test leaves this machine.
void WriteLoopbackSupportLinks(TestFolder& folder);

// The English strings, fixed so that no test picks up the machine's language.
bool LoadEnglishStrings();

// Fonts, step icons and page pictures as start-up makes them; they live as long as the program.
void LoadInterfaceResourcesOnce();

// The executable's folder is a scratch folder; the threads started through it are kept so a test
// can wait for its workers before their manager goes.
class ThreadKeepingKernel : public FakeExecutableFolder {
public:
    using FakeExecutableFolder::FakeExecutableFolder;
    ~ThreadKeepingKernel() override { ForgetThreads(); }
    HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                        LPVOID parameter, DWORD flags, LPDWORD threadId) override;
    std::vector<HANDLE> Threads();
    void ForgetThreads();

private:
    std::mutex lock_;
    std::vector<HANDLE> threads_;
};

// Pumps this thread's messages (workers may wait on it) until every kept thread has ended, then
// forgets them. False when one still runs after `limit`.
bool WaitForThreads(ThreadKeepingKernel& kernel, std::chrono::milliseconds limit);

// Set up once for a whole program: the data folder (plus `extraFiles`, name and content), the
// kernel that reports it, the English strings, GDI+ and, when asked, the interface resources and
// loopback support hosts.
class WindowTestEnvironment : public ::testing::Environment {
public:
    struct Options {
        bool interfaceResources = false;
        bool loopbackSupportLinks = false;
        std::vector<std::pair<std::wstring, std::string>> extraFiles;
    };
    explicit WindowTestEnvironment(Options options);
    ~WindowTestEnvironment() override;
    void SetUp() override;
    void TearDown() override;

    ThreadKeepingKernel& Kernel() { return *kernel_; }
    const TestFolder& Folder() const { return *folder_; }

    // Registers the environment with the test framework, which owns it.
    static WindowTestEnvironment& Install(Options options);

private:
    Options options_;
    std::unique_ptr<TestFolder> folder_;
    std::unique_ptr<ThreadKeepingKernel> kernel_;
    NGWinApi::CKernelApi* previous_ = nullptr;
    std::unique_ptr<GdiplusSession> gdiplus_;
};

// For suites that set up per test: common controls, GDI+ and OLE, from SetUpTestSuite to
// TearDownTestSuite.
class SuiteWindowServices {
public:
    static void Start();
    static void Stop();

private:
    static inline GdiplusSession* gdiplus_ = nullptr;
};

// A new diagnosis manager with the real test list, handed to the application.
CDiagnosticMgr& AdoptManagerWithTests();

// ---- Message pumps ----

// Handles the messages waiting on this thread, as a modal loop would have.
void PumpWaiting();

// Pumps this thread's messages until `done` holds (checked after every message, so a test sees the
// state the moment it is reached) or `limit` has passed.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(10));

// Pumps for `time`, for what Wine does a little later (painting child dialogs, timers).
void PumpFor(std::chrono::milliseconds time);

// Runs `step` from a timer of this thread, which the modal loop of whatever dialog runs then
// dispatches, until it returns true.
class WhileModal {
public:
    explicit WhileModal(std::function<bool()> step, UINT period = 30);
    ~WhileModal();
    WhileModal(const WhileModal&) = delete;
    WhileModal& operator=(const WhileModal&) = delete;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    static inline WhileModal* current_ = nullptr;
    std::function<bool()> step_;
    UINT_PTR timer_ = 0;
    bool busy_ = false;
};

// A visible top-level window of this thread captioned `title` (any caption when empty) other than
// `except`; null when there is none.
HWND VisibleThreadWindow(const std::wstring& title, HWND except = nullptr);

// ---- The host window ----

// One visible top-level window for the whole program (Wine takes seconds to let a visible
// top-level window go when no window manager answers): parent of the pages, main window and
// window to repaint. Counts what it is asked and records the page commands sent to it.
struct HostWindow {
    // The window, created `size` large on the first call; every call clears the records.
    static HWND Get(SIZE size);
    static inline int closes = 0;
    static inline int paints = 0;
    static inline std::vector<int32_t> pageCommands;     // kMsgPageCommand, as a wizard gets them
    static inline std::vector<int32_t> commandsToMain;   // kMsgPageCommandToMain
};

// The wizard inside the host window, around a fresh manager that has the real test list.
class WizardInHost : public ::testing::Test {
protected:
    void SetUp() override { Begin(); }
    void TearDown() override { Finish(); }
    // What a case starts and ends with; the fixture's own watchers come in here.
    virtual void Begin() = 0;
    virtual void Finish() = 0;
    // Between the cases of a table: every case after the first starts afresh.
    void NextCase()
    {
        if (casesStarted_++ > 0) {
            Finish();
            Begin();
        }
    }

    // The manager, and the host as main window and window to repaint; no wizard yet.
    void BeginWizardHost(SIZE hostSize);
    // Lets every worker end (they may wait on this thread) before the wizard and the manager go.
    void EndWizardHost(ThreadKeepingKernel& kernel, std::chrono::milliseconds workerLimit);
    // The wizard, filling the host's client area.
    CWizardDlg& CreateWizardInHost();

    template <class Page>
    const Page* Current() const
    {
        return dynamic_cast<const Page*>(wizard_->CurrentPage());
    }

    CDiagnosticMgr* manager_ = nullptr;
    HWND host_ = nullptr;
    std::unique_ptr<CWizardDlg> wizard_;

private:
    int casesStarted_ = 0;
};

// ---- Controls ----

// The whole text of a window or control.
std::wstring TextOf(HWND window);
std::wstring ItemText(HWND dialog, int id);

// The text of `key` in the string table, as the pages look it up.
std::wstring UiText(const wchar_t* key);

// Shown by its own style: under Xvfb without a window manager many tests keep their top-level
// windows unmapped, where IsWindowVisible would say no for every control.
bool HasVisibleStyle(HWND window);

// The page exists and is on screen.
bool PageShows(const CDialogBase* page);

using StepIcons = std::array<int32_t, 6>;
StepIcons StepIconsOf(const CWizardPage& page);

// A click on button `id`, as the button reports it to its dialog.
void ClickButton(const CDialogBase& dialog, int id);
// A click (or `code`) on the SysLink control `id`.
void ClickLink(const CDialogBase& dialog, int id, UINT code = NM_CLICK);

// ---- Pictures for people to look at ----

// A picture of `window` once Wine has painted the child dialogs' controls, which it does a little
// after the pages change.
bool SavePictureWhenPainted(HWND window, const std::wstring& path);

// ---- Stand-ins ----

// Records what would have been opened in the browser; never starts one.
class RecordingShell : public NGWinApi::CShellApi {
public:
    HINSTANCE ShellExecuteW(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                            INT show) override;
    std::vector<std::wstring> opened, verbs;
    INT_PTR result = 33; // above 32: opened
};

// The user's application data folder lies in `appData`; other folders are the machine's.
class AppDataInFolder : public NGWinApi::CHostFilesApi {
public:
    explicit AppDataInFolder(std::wstring appData) : appData_(std::move(appData)) {}
    BOOL SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int folder, BOOL create) override;

private:
    std::wstring appData_;
};

// The diagnostic core's network information, reporting settings: the computer has a network.
class NetworkInfoStandIn : public INetworkInfo {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetNetworkSettings(VARIANT* settings) override;
};

// A USB printer whose device interface does not exist: its status cannot be read.
Device_Dev GoneUsbPrinter();
