#include "ui/WindowTestSupport.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdlib>

#include "app/AppMessages.h"
#include "app/engine/DiagnosticMgr.h"
#include "app/GdiplusSupport.h"
#include "app/KeloTessalyApp.h"
#include "ui/Screenshot.h"

std::string SourceFile(const std::string& relative)
{
    const char* root = std::getenv("KELO_SOURCE_DIR");
    return root != nullptr ? ReadWholeFile(WinePathOf(std::string(root) + "/" + relative)) : std::string();
}

void WriteProgramData(TestFolder& folder)
{
    folder.Write(L"strings\\1033.xml", SourceFile("data/strings/1033.xml"));
    folder.Write(L"config\\product_info.xml", SourceFile("data/config/product_info.xml"));
}

void WriteLoopbackSupportLinks(TestFolder& folder)
{
    folder.Write(L"config\\support_links.xml",
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SupportLinks>\n"
                 "  <Host ID=\"SUPPORT_HOST\" Value=\"127.0.0.1\"/>\n"
                 "  <Host ID=\"MAIN_WEB_HOST\" Value=\"127.0.0.1\"/>\n</SupportLinks>\n");
}

bool LoadEnglishStrings()
{
    XMLHandler& strings = StringTable();
    strings.SetLanguageFixed(true);
    strings.SetLanguageId(1033);
    return strings.Load();
}

void LoadInterfaceResourcesOnce()
{
    static bool loaded = false;
    if (!std::exchange(loaded, true))
        theApp.LoadInterfaceResources();
}

HANDLE ThreadKeepingKernel::CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize,
                                         LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                                         LPDWORD threadId)
{
    HANDLE thread = CKernelApi::CreateThread(attributes, stackSize, start, parameter, flags, threadId);
    HANDLE copy = nullptr;
    if (thread != nullptr && ::DuplicateHandle(::GetCurrentProcess(), thread, ::GetCurrentProcess(), &copy, 0, FALSE,
                                               DUPLICATE_SAME_ACCESS)) {
        std::lock_guard lock(lock_);
        threads_.push_back(copy);
    }
    return thread;
}

std::vector<HANDLE> ThreadKeepingKernel::Threads()
{
    std::lock_guard lock(lock_);
    return threads_;
}

void ThreadKeepingKernel::ForgetThreads()
{
    std::lock_guard lock(lock_);
    for (HANDLE thread : threads_)
        ::CloseHandle(thread);
    threads_.clear();
}

bool WaitForThreads(ThreadKeepingKernel& kernel, std::chrono::milliseconds limit)
{
    const bool ended = PumpUntil(
        [&] {
            for (HANDLE thread : kernel.Threads())
                if (::WaitForSingleObject(thread, 0) != WAIT_OBJECT_0)
                    return false;
            return true;
        },
        limit);
    kernel.ForgetThreads();
    return ended;
}

WindowTestEnvironment::WindowTestEnvironment(Options options) : options_(std::move(options)) {}

WindowTestEnvironment::~WindowTestEnvironment() = default;

void WindowTestEnvironment::SetUp()
{
    ASSERT_NE(std::getenv("KELO_SOURCE_DIR"), nullptr) << "KELO_SOURCE_DIR is not set";
    folder_ = std::make_unique<TestFolder>();
    WriteProgramData(*folder_);
    if (options_.loopbackSupportLinks)
        WriteLoopbackSupportLinks(*folder_);
    for (const auto& [name, content] : options_.extraFiles)
        folder_->Write(name, content);
    kernel_ = std::make_unique<ThreadKeepingKernel>(folder_->Path());
    previous_ = NGWinApi::Replace(static_cast<NGWinApi::CKernelApi*>(kernel_.get()));
    ASSERT_TRUE(LoadEnglishStrings());
    gdiplus_ = std::make_unique<GdiplusSession>();
    if (options_.interfaceResources)
        theApp.LoadInterfaceResources();
}

void WindowTestEnvironment::TearDown()
{
    gdiplus_.reset();
    NGWinApi::Replace(previous_);
    kernel_.reset();
    folder_.reset();
}

WindowTestEnvironment& WindowTestEnvironment::Install(Options options)
{
    auto* environment = new WindowTestEnvironment(std::move(options));
    ::testing::AddGlobalTestEnvironment(environment);
    return *environment;
}

void SuiteWindowServices::Start()
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, 0xFF};
    ::InitCommonControlsEx(&controls);
    gdiplus_ = new GdiplusSession;
    ::OleInitialize(nullptr);
}

void SuiteWindowServices::Stop()
{
    ::OleUninitialize();
    delete gdiplus_;
    gdiplus_ = nullptr;
}

CDiagnosticMgr& AdoptManagerWithTests()
{
    auto manager = std::make_unique<CDiagnosticMgr>();
    manager->BuildTests();
    CDiagnosticMgr& adopted = *manager;
    theApp.AdoptDiagnosisManager(std::move(manager));
    return adopted;
}

void PumpWaiting()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
            if (done())
                return true;
        }
        if (done())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(std::chrono::milliseconds time)
{
    PumpUntil([] { return false; }, time);
}

WhileModal::WhileModal(std::function<bool()> step, UINT period) : step_(std::move(step))
{
    current_ = this;
    timer_ = ::SetTimer(nullptr, 0, period, &WhileModal::Tick);
}

WhileModal::~WhileModal()
{
    if (timer_ != 0)
        ::KillTimer(nullptr, timer_);
    current_ = nullptr;
}

void CALLBACK WhileModal::Tick(HWND, UINT, UINT_PTR id, DWORD)
{
    // A step may itself run a modal loop that dispatches this timer again.
    if (current_ == nullptr || id != current_->timer_ || current_->busy_)
        return;
    current_->busy_ = true;
    if (current_->step_()) {
        ::KillTimer(nullptr, current_->timer_);
        current_->timer_ = 0;
    }
    current_->busy_ = false;
}

namespace {

struct ThreadWindowSearch {
    const std::wstring* title;
    HWND except;
    HWND found;
};

BOOL CALLBACK MatchThreadWindow(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<ThreadWindowSearch*>(param);
    if (hwnd != search->except && ::IsWindowVisible(hwnd) &&
        (search->title->empty() || TextOf(hwnd) == *search->title)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM w, LPARAM l)
{
    switch (message) {
    case WM_CLOSE:
        ++HostWindow::closes;
        return 0;
    case WM_PAINT: {
        ++HostWindow::paints;
        PAINTSTRUCT paint;
        ::BeginPaint(hwnd, &paint);
        ::EndPaint(hwnd, &paint);
        return 0;
    }
    default:
        break;
    }
    if (message == kMsgPageCommand) {
        HostWindow::pageCommands.push_back(static_cast<int32_t>(w));
        return 0;
    }
    if (message == kMsgPageCommandToMain) {
        HostWindow::commandsToMain.push_back(static_cast<int32_t>(w));
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, w, l);
}

} // namespace

HWND VisibleThreadWindow(const std::wstring& title, HWND except)
{
    ThreadWindowSearch search = {&title, except, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), &MatchThreadWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND HostWindow::Get(SIZE size)
{
    static HWND hwnd = [size] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &HostProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.hbrBackground = ::GetSysColorBrush(COLOR_3DFACE);
        windowClass.lpszClassName = L"KeloTestHost";
        ::RegisterClassW(&windowClass);
        return ::CreateWindowW(L"KeloTestHost", L"Test host", WS_POPUP | WS_BORDER | WS_VISIBLE, 0, 0, size.cx,
                               size.cy, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    }();
    closes = 0;
    paints = 0;
    pageCommands.clear();
    commandsToMain.clear();
    return hwnd;
}

void WizardInHost::BeginWizardHost(SIZE hostSize)
{
    manager_ = &AdoptManagerWithTests();
    host_ = HostWindow::Get(hostSize);
    theApp.SetMainWindow(host_);
    theApp.SetRepaintWindow(host_);
}

void WizardInHost::EndWizardHost(ThreadKeepingKernel& kernel, std::chrono::milliseconds workerLimit)
{
    EXPECT_TRUE(WaitForThreads(kernel, workerLimit)) << "a test worker is still running";
    wizard_.reset();
    theApp.AdoptDiagnosisManager(nullptr);
    manager_ = nullptr;
    theApp.SetMainWindow(nullptr);
    theApp.SetRepaintWindow(nullptr);
    host_ = nullptr;
}

CWizardDlg& WizardInHost::CreateWizardInHost()
{
    wizard_ = std::make_unique<CWizardDlg>();
    EXPECT_TRUE(wizard_->Create(host_)) << "error " << ::GetLastError();
    RECT client;
    ::GetClientRect(host_, &client);
    ::SetWindowPos(wizard_->GetSafeHwnd(), nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_SHOWWINDOW);
    return *wizard_;
}

std::wstring TextOf(HWND window)
{
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

std::wstring ItemText(HWND dialog, int id) { return TextOf(::GetDlgItem(dialog, id)); }

std::wstring UiText(const wchar_t* key) { return StringTable().GetString(key); }

bool HasVisibleStyle(HWND window)
{
    return window != nullptr && (::GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool PageShows(const CDialogBase* page) { return page != nullptr && ::IsWindowVisible(page->GetSafeHwnd()); }

StepIcons StepIconsOf(const CWizardPage& page)
{
    StepIcons icons{};
    for (int row = 0; row < 6; ++row)
        icons[static_cast<size_t>(row)] = page.StepIconOf(row);
    return icons;
}

void ClickButton(const CDialogBase& dialog, int id)
{
    ::SendMessageW(dialog.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(dialog.GetDlgItem(id)));
}

void ClickLink(const CDialogBase& dialog, int id, UINT code)
{
    NMLINK link = {};
    link.hdr.hwndFrom = dialog.GetDlgItem(id);
    link.hdr.idFrom = static_cast<UINT_PTR>(id);
    link.hdr.code = code;
    ::SendMessageW(dialog.GetSafeHwnd(), WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&link));
}

bool SavePictureWhenPainted(HWND window, const std::wstring& path)
{
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpFor(std::chrono::milliseconds(300));
    // Every window a test looks at is also checked for what a user would find wrong with its layout.
    EXPECT_EQ(LayoutFaults(window), "") << std::string(path.begin(), path.end());
    return SaveWindowPicture(window, path);
}

HINSTANCE RecordingShell::ShellExecuteW(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                                        INT show)
{
    opened.emplace_back(file != nullptr ? file : L"");
    verbs.emplace_back(verb != nullptr ? verb : L"");
    EXPECT_EQ(parameters, nullptr);
    EXPECT_EQ(directory, nullptr);
    EXPECT_EQ(show, SW_SHOWNORMAL);
    return reinterpret_cast<HINSTANCE>(result);
}

BOOL AppDataInFolder::SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int folder, BOOL create)
{
    if (folder != CSIDL_APPDATA)
        return CHostFilesApi::SHGetSpecialFolderPathW(owner, path, folder, create);
    ::lstrcpynW(path, appData_.c_str(), MAX_PATH);
    return TRUE;
}

HRESULT STDMETHODCALLTYPE NetworkInfoStandIn::QueryInterface(REFIID iid, void** object)
{
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_INetworkInfo) {
        *object = this;
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE NetworkInfoStandIn::GetNetworkSettings(VARIANT* settings)
{
    settings->vt = VT_UNKNOWN;
    settings->punkVal = this;
    return S_OK;
}

Device_Dev GoneUsbPrinter()
{
    Device_Dev device;
    device.deviceName = L"Kelo Vireo 4500";
    device.address = L"\\\\?\\usb#vid_0a7e&pid_2312#gone#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
    device.productId = L"2312";
    return device;
}
