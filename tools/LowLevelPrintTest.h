#pragma once
// The low-level print test: the model's ready-made print file, sent byte for byte to the
// printer's USB device interface or to TCP port 9100, without any driver.
#include <windows.h>

#include <functional>
#include <string>

#include "app/engine/DiagnosticTest.h"
#include "app/engine/TestContext.h"


// The waits of a print job; tests shorten them.
struct PrintWaits {
    DWORD usbSliceMs = 10000;
    DWORD networkSliceMs = 20000;
    int rounds = 6;          // slices in all while the printer reports an ordinary state
    unsigned short port = 9100;
};

class CLowLevelPrintTest : public CTest {
public:
    explicit CLowLevelPrintTest(CTestContext& context) : context_(context) {}

    // 1 printed, 0 failed, 2 cancelled by the user.
    int32_t Run(Device_Dev& device) override;

    bool SendOverUsb(const Device_Dev& device);
    bool SendOverNetwork(const Device_Dev& device);

    bool Cancelled() const { return cancelled_; }
    const std::wstring& PrintFilePath() const { return printFilePath_; }

    void SetWaits(PrintWaits waits) { waits_ = waits; }
    const PrintWaits& Waits() const { return waits_; }
    // The window build also shows a print file that cannot be opened in a message box; off by
    // default so the console front end and tests never block on one.
    void SetShowFileErrors(bool show) { showFileErrors_ = show; }

private:
    // How the wait for a pending transfer ended.
    enum class WaitEnd { Transferred, Cancelled, TimedOut, Failed };

    bool UsbJob(const Device_Dev& device);
    bool NetworkJob(const Device_Dev& device);
    // Waits for the transfer event in slices; while `readStatus` reports an ordinary printer
    // state, further slices follow, up to the configured rounds in all.
    WaitEnd WaitForTransfer(HANDLE transferEvent, DWORD sliceMs, const std::function<int32_t()>& readStatus);
    // The log lines (and the cancelled flag) of a wait that ended without the transfer.
    void ReportUnfinished(WaitEnd end);
    void ReportFileError(DWORD error) const;

    CTestContext& context_;
    bool cancelled_ = false;
    std::wstring printFilePath_;
    PrintWaits waits_;
    bool showFileErrors_ = false;
};

// The device status flag of a network printer, read again after a failed print: Sable or SNMP
// as the catalogue says.
int32_t ReadNetworkStatusFlag(CTestContext& context, const Device_Dev& device);
