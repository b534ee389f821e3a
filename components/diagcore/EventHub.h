#pragma once
// The enumerator's event sinks and how search events reach them.
//
// The search runs on a worker thread; its events are delivered by the apartment rules of
// the thread that started it. A thread in a single-threaded apartment (the tool's window
// thread) gets them through a message-only window the enumerator creates on that thread:
// the worker posts, and the sinks are called on the starting thread while it pumps
// messages, in order, never re-entering a call in progress. A starting thread in the
// multithreaded apartment (or without COM) gets them called directly from the worker,
// which joins the multithreaded apartment.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <map>
#include <memory>
#include <mutex>

#include "winapi/Handles.h"

namespace diagcore {

inline constexpr DISPID kDispidProgress = 1;
inline constexpr DISPID kDispidCompleted = 2;

class EventHub {
public:
    HRESULT Advise(IUnknown* sink, DWORD* cookie);
    HRESULT Unadvise(DWORD cookie);
    // No event reaches any sink afterwards.
    void Close();
    // Calls every sink (on the thread that may call them).
    void Fire(DISPID event, long argument);
    // The window events go through; null to call the sinks directly.
    void SetWindow(HWND window);
    // From the worker: posts to the window, or fires here.
    void Deliver(DISPID event, long argument);

private:
    std::mutex mutex_;
    std::map<DWORD, NGWinApi::ComPtr<IDispatch>> sinks_;
    DWORD nextCookie_ = 1;
    HWND window_ = nullptr;
    bool closed_ = false;
};

// A message-only window on the creating thread that hands posted events to a hub.
class NotificationWindow {
public:
    NotificationWindow() = default;
    ~NotificationWindow();
    NotificationWindow(const NotificationWindow&) = delete;
    NotificationWindow& operator=(const NotificationWindow&) = delete;

    // Creates the window on this thread unless it exists there already.
    bool EnsureOnThisThread(const std::shared_ptr<EventHub>& hub);
    HWND get() const { return window_; }

private:
    void Destroy();

    HWND window_ = nullptr;
    DWORD thread_ = 0;
};

// Removes the window class when the module goes.
void UnregisterNotificationClass();

} // namespace diagcore
