#include "components/diagcore/EventHub.h"

#include <vector>

#include "KeloDiagnosticCore.h"
#include "components/diagcore/CoreSupport.h"

namespace diagcore {

namespace {

constexpr wchar_t kWindowClass[] = L"KeloDiagnosticCoreEvents";
constexpr UINT kEventMessage = WM_APP + 1;

std::once_flag g_classRegistered;
bool g_classAvailable = false;

LRESULT CALLBACK NotificationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* hub = reinterpret_cast<std::shared_ptr<EventHub>*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == kEventMessage && hub != nullptr) {
        std::shared_ptr<EventHub> keep = *hub; // a sink may end the window
        keep->Fire(static_cast<DISPID>(wParam), static_cast<long>(lParam));
        return 0;
    }
    if (message == WM_NCDESTROY && hub != nullptr) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        delete hub;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterNotificationClass()
{
    std::call_once(g_classRegistered, [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = NotificationProc;
        windowClass.hInstance = ModuleHandle();
        windowClass.lpszClassName = kWindowClass;
        g_classAvailable = ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    });
    return g_classAvailable;
}

} // namespace

HRESULT EventHub::Advise(IUnknown* sink, DWORD* cookie)
{
    if (cookie == nullptr)
        return E_POINTER;
    *cookie = 0;
    if (sink == nullptr)
        return E_POINTER;
    NGWinApi::ComPtr<IDispatch> dispatch;
    if (FAILED(sink->QueryInterface(DIID__IDeviceEnumeratorEvents, dispatch.put_void())) &&
        FAILED(sink->QueryInterface(IID_IDispatch, dispatch.put_void())))
        return CONNECT_E_CANNOTCONNECT;
    std::lock_guard lock(mutex_);
    *cookie = nextCookie_++;
    sinks_[*cookie] = dispatch;
    return S_OK;
}

HRESULT EventHub::Unadvise(DWORD cookie)
{
    NGWinApi::ComPtr<IDispatch> released; // let go outside the lock
    std::lock_guard lock(mutex_);
    auto found = sinks_.find(cookie);
    if (found == sinks_.end())
        return CONNECT_E_NOCONNECTION;
    released = found->second;
    sinks_.erase(found);
    return S_OK;
}

void EventHub::Close()
{
    std::map<DWORD, NGWinApi::ComPtr<IDispatch>> released;
    std::lock_guard lock(mutex_);
    closed_ = true;
    window_ = nullptr;
    released.swap(sinks_);
}

void EventHub::Fire(DISPID event, long argument)
{
    std::vector<NGWinApi::ComPtr<IDispatch>> sinks;
    {
        std::lock_guard lock(mutex_);
        if (closed_)
            return;
        for (const auto& [cookie, sink] : sinks_)
            sinks.push_back(sink);
    }
    for (const auto& sink : sinks) {
        VARIANTARG value;
        ::VariantInit(&value);
        value.vt = VT_I4;
        value.lVal = argument;
        DISPPARAMS parameters{};
        if (event == kDispidProgress) {
            parameters.rgvarg = &value;
            parameters.cArgs = 1;
        }
        sink->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr);
    }
}

void EventHub::SetWindow(HWND window)
{
    std::lock_guard lock(mutex_);
    window_ = window;
}

void EventHub::Deliver(DISPID event, long argument)
{
    HWND window;
    {
        std::lock_guard lock(mutex_);
        if (closed_)
            return;
        window = window_;
    }
    if (window == nullptr)
        Fire(event, argument);
    else
        ::PostMessageW(window, kEventMessage, static_cast<WPARAM>(event), static_cast<LPARAM>(argument));
}

NotificationWindow::~NotificationWindow()
{
    Destroy();
}

bool NotificationWindow::EnsureOnThisThread(const std::shared_ptr<EventHub>& hub)
{
    if (window_ != nullptr && thread_ == ::GetCurrentThreadId())
        return true;
    Destroy();
    if (!RegisterNotificationClass())
        return false;
    HWND window = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ModuleHandle(), nullptr);
    if (window == nullptr)
        return false;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new std::shared_ptr<EventHub>(hub)));
    window_ = window;
    thread_ = ::GetCurrentThreadId();
    return true;
}

void NotificationWindow::Destroy()
{
    if (window_ == nullptr)
        return;
    // Only the creating thread may destroy a window; elsewhere it is asked to close itself.
    if (thread_ == ::GetCurrentThreadId())
        ::DestroyWindow(window_);
    else
        ::PostMessageW(window_, WM_CLOSE, 0, 0);
    window_ = nullptr;
}

void UnregisterNotificationClass()
{
    if (g_classAvailable)
        ::UnregisterClassW(kWindowClass, ModuleHandle());
}

} // namespace diagcore
