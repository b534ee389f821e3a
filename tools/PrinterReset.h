#pragma once
// Puts a printer back into a known state: the reset command block over the USB device interface
// (between two exit blocks) or once over TCP port 9100. Every wait is bounded, so a printer that
// never answers cannot hold the tool.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "discovery/Device_Dev.h"
#include "winapi/Handles.h"

struct ResetWaits {
    DWORD connectMs = 5000;   // the TCP connection to the printer
    DWORD sendMs = 5000;      // the network send
    DWORD usbWriteMs = 5000;  // each of the three USB writes
    uint16_t port = 9100;
    // The longest a whole reset can take, with room for the cancellations.
    DWORD Bound() const { return connectMs + sendMs + 3 * usbWriteMs + 2000; }
};

// One complete write of `length` bytes to a device interface path: its own open, an overlapped
// write bounded by `waitMs` (cancelled when it runs out), its own close. True when all were written.
bool WriteToDeviceInterface(const std::wstring& path, const void* bytes, DWORD length, DWORD& written, DWORD waitMs);

// Exit block, command block, exit block over `device.address` (the interface path); true when
// all three were written whole.
bool ResetOverUsb(const Device_Dev& device, const ResetWaits& waits = {});
// The command block once to port 9100 of `device.address`, then a half-close; true when sent whole.
bool ResetOverNetwork(const Device_Dev& device, const ResetWaits& waits = {});
// The transport the record names.
bool ResetPrinter(const Device_Dev& device, const ResetWaits& waits = {});

// One reset at a time on a worker of its own, which the owner waits for (bounded) when it goes.
class CPrinterReset {
public:
    CPrinterReset() = default;
    ~CPrinterReset();
    CPrinterReset(const CPrinterReset&) = delete;
    CPrinterReset& operator=(const CPrinterReset&) = delete;

    void SetWaits(const ResetWaits& waits) { waits_ = waits; }
    // Starts resetting a copy of `device`; false (logged) while an earlier reset still runs, or
    // when no worker could be started.
    bool Start(const Device_Dev& device);
    // Waits up to `waitMs` for a running reset; true when none runs any more.
    bool Wait(DWORD waitMs);
    // Whether the last finished reset wrote its bytes.
    bool LastSucceeded() const { return lastSucceeded_.load(); }

private:
    static DWORD WINAPI Worker(LPVOID reset);
    bool RunningLocked() const;

    mutable std::mutex lock_;
    NGWinApi::UniqueHandle worker_;
    Device_Dev device_;
    ResetWaits waits_;
    std::atomic<bool> lastSucceeded_{false};
};
