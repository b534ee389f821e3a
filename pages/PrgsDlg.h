#pragma once
// The small modal popup with a moving bar behind which one device operation runs on a worker
// thread. The caller sets the operation, runs the popup modally and then reads the managers.
#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "app/engine/DeviceOperations.h"
#include "app/DialogBase.h"
#include "winapi/Handles.h"

inline constexpr UINT_PTR kProgressTimerId = 1001;
inline constexpr UINT kProgressTimerPeriodMs = 200;
inline constexpr int kProgressStep = 3;
// The popup stays up at least this long, so the user sees that something happens.
inline constexpr DWORD kProgressMinimumShowMs = 3000;

class CPrgsDlg : public CDialogBase {
public:
    // Resets the records of all three device access managers, so a failed read shows the
    // not-available texts.
    CPrgsDlg();
    ~CPrgsDlg() override;

    void SetOperation(int32_t operation) { operation_ = operation; }
    void SetOperation(DeviceOperation operation) { operation_ = static_cast<int32_t>(operation); }
    int32_t Operation() const { return operation_; }
    // Set by the worker when it starts, cleared when the popup closes.
    bool Running() const;
    // Set by the worker when the operation reported success.
    bool Succeeded() const;
    // Own font n (1 to 6).
    HFONT OwnFont(int n) const { return fonts_[static_cast<size_t>(n - 1)].get(); }

    // The popup on screen now; null when none is showing.
    static HWND ShowingWindow();
    // The shortest time a popup shows; tests shorten it.
    static DWORD MinimumShowTime();
    static void SetMinimumShowTime(DWORD milliseconds);

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnOK() override {}
    void OnCancel() override {}

private:
    // What the worker shares with the popup; it outlives the popup window.
    struct WorkerState {
        HWND popup = nullptr;
        int32_t operation = 0;
        DWORD minimumShowMs = kProgressMinimumShowMs;
        std::atomic<bool> running{false};
        std::atomic<bool> succeeded{false};
        NGWinApi::UniqueHandle closed; // set when the popup closes before the worker is done
    };
    static DWORD WINAPI Worker(LPVOID state);
    void OnTimerTick();
    void OnOperationDone();

    std::array<NGWinApi::UniqueFont, 6> fonts_;
    int32_t operation_ = 0;
    std::shared_ptr<WorkerState> state_;
    NGWinApi::UniqueHandle worker_;
};
