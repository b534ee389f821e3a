#include "pages/PrgsDlg.h"

#include <commctrl.h>

#include <iterator>

#include "app/AppMessages.h"
#include "app/engine/DiagnosticMgr.h"
#include "app/FontUtil.h"
#include "app/KeloTessalyApp.h"
#include "res/resource.h"
#include "support/LanguageChoice.h"
#include "support/LogFile.h"

namespace {


struct FontSpec {
    int height, weight;
};
// The sizes of the page fonts.
constexpr FontSpec kOwnFonts[6] = {{15, 500}, {15, 700}, {17, 500}, {15, 500}, {15, 400}, {12, 500}};

std::atomic<HWND> g_showing{nullptr};

// Names of the operations for the log, by code.
const wchar_t* OperationName(int32_t operation)
{
    static constexpr const wchar_t* kNames[] = {L"None", L"ReadDeviceInfo", L"ReadInkLevels",
                                                L"PrintDiagnosticsPage", L"PrintQualityPage", L"CleanPrintheads",
                                                L"AlignPrintheads", L"ReadDeviceStatus"};
    if (operation < 0 || operation >= static_cast<int32_t>(std::size(kNames)))
        return L"unknown";
    return kNames[operation];
}
std::atomic<DWORD> g_minimumShowMs{kProgressMinimumShowMs};

} // namespace

CPrgsDlg::CPrgsDlg() : CDialogBase(IDD_PROGRESS)
{
    for (size_t i = 0; i < fonts_.size(); ++i)
        fonts_[i].reset(CreateInterfaceFont(kOwnFonts[i].height, kOwnFonts[i].weight));
    if (CDiagnosticMgr* manager = theApp.DiagnosisManager())
        ResetAllDeviceData(*manager);
}

CPrgsDlg::~CPrgsDlg()
{
    // The worker may still be inside the operation when the tool closes the popup early; it
    // uses the diagnosis manager, which must outlive it.
    if (state_ && state_->closed)
        ::SetEvent(state_->closed.get());
    if (worker_)
        ::WaitForSingleObject(worker_.get(), INFINITE);
}

bool CPrgsDlg::Running() const { return state_ && state_->running.load(); }
bool CPrgsDlg::Succeeded() const { return state_ && state_->succeeded.load(); }

HWND CPrgsDlg::ShowingWindow() { return g_showing.load(); }
DWORD CPrgsDlg::MinimumShowTime() { return g_minimumShowMs.load(); }
void CPrgsDlg::SetMinimumShowTime(DWORD milliseconds) { g_minimumShowMs.store(milliseconds); }

BOOL CPrgsDlg::OnInitDialog()
{
    HWND hwnd = GetSafeHwnd();
    // Centred over the window that runs it.
    if (HWND owner = ::GetWindow(hwnd, GW_OWNER)) {
        RECT ownerRect, own;
        ::GetWindowRect(owner, &ownerRect);
        ::GetWindowRect(hwnd, &own);
        const int x = ownerRect.left + ((ownerRect.right - ownerRect.left) - (own.right - own.left)) / 2;
        const int y = ownerRect.top + ((ownerRect.bottom - ownerRect.top) - (own.bottom - own.top)) / 2;
        ::SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    HWND bar = GetDlgItem(IDC_PROGRESS_BAR);
    ::SendMessageW(bar, PBM_SETRANGE32, 0, 100);
    ::SendMessageW(bar, PBM_SETPOS, 0, 0);
    ::SetTimer(hwnd, kProgressTimerId, kProgressTimerPeriodMs, nullptr);

    HFONT font = UsesApplicationFonts(StringTable().LanguageId()) ? theApp.AppFont(4) : OwnFont(4);
    ::SendDlgItemMessageW(hwnd, IDC_PROGRESS_TEXT, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ::SetDlgItemTextW(hwnd, IDC_PROGRESS_TEXT, StringTable().GetString(L"TSY_MESSAGE_PROGRESS").c_str());

    g_showing.store(hwnd);
    state_ = std::make_shared<WorkerState>();
    state_->popup = hwnd;
    state_->operation = operation_;
    state_->minimumShowMs = MinimumShowTime();
    state_->closed.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    auto* shared = new std::shared_ptr<WorkerState>(state_);
    worker_.reset(NGWinApi::Kernel().CreateThread(nullptr, 0, &CPrgsDlg::Worker, shared, 0, nullptr));
    if (!worker_) {
        delete shared;
        OnOperationDone();
    }
    return TRUE;
}

DWORD WINAPI CPrgsDlg::Worker(LPVOID parameter)
{
    std::unique_ptr<std::shared_ptr<WorkerState>> owned(static_cast<std::shared_ptr<WorkerState>*>(parameter));
    WorkerState& state = **owned;
    state.running = true;
    // Shows for the minimum time; a popup closed meanwhile needs no operation any more.
    const bool closedEarly = ::WaitForSingleObject(state.closed.get(), state.minimumShowMs) == WAIT_OBJECT_0;
    if (!closedEarly) {
        if (CDiagnosticMgr* manager = theApp.DiagnosisManager()) {
            state.succeeded = RunDeviceOperation(*manager, state.operation);
            // The popup shows no result; a failed service must still leave a trace.
            LogFile().Write(L"Device operation %d (%s) %s.", state.operation, OperationName(state.operation),
                            state.succeeded ? L"succeeded" : L"failed");
        }
    }
    ::SendMessageW(state.popup, kMsgOperationDone, 0, 0);
    return 0;
}

bool CPrgsDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case WM_TIMER:
        if (wParam != kProgressTimerId)
            return false;
        OnTimerTick();
        result = 0;
        return true;
    case kMsgOperationDone:
        OnOperationDone();
        result = 0;
        return true;
    case WM_DESTROY: {
        HWND expected = GetSafeHwnd();
        g_showing.compare_exchange_strong(expected, nullptr);
        return false;
    }
    default:
        return CDialogBase::OnMessage(message, wParam, lParam, result);
    }
}

void CPrgsDlg::OnTimerTick()
{
    HWND bar = GetDlgItem(IDC_PROGRESS_BAR);
    const int position = static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0));
    ::SendMessageW(bar, PBM_SETPOS, position >= 100 ? 0 : position + kProgressStep, 0);
}

void CPrgsDlg::OnOperationDone()
{
    if (state_) {
        state_->running = false;
        if (state_->closed)
            ::SetEvent(state_->closed.get());
    }
    HWND hwnd = GetSafeHwnd();
    ::KillTimer(hwnd, kProgressTimerId);
    HWND expected = hwnd;
    g_showing.compare_exchange_strong(expected, nullptr);
    EndDialog(1);
}
