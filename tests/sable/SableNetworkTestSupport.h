#pragma once
// Network Sable tests: a network printer record of the running simulator.
#include "SableTestSupport.h"
#include "SimControl.h"
#include "sable/SableManager.h"

class SableNetworkFixture : public SableFolderFixture {
public:
    explicit SableNetworkFixture(const std::string& printer, const std::wstring& address) : printer_(printer)
    {
        target_.deviceName = L"Kelo Vireo 4500 All-in-One";
        target_.address = address;
        target_.isNetwork = true;
        control_.Post("/printers/" + printer_ + "/clear", "");
        control_.Settings(printer_, "fault.http =\nstatuses = ready\nalert =\njob-final-state = completed\n");
        SableWaits waits;
        waits.sleep = [](DWORD) {};
        waits.maxBodyBytes = 256 * 1024;
        waits.usbPrintJobMs = waits.usbCalibrationMs = waits.networkJobMs = 5000;
        manager_.SetWaits(waits);
    }

protected:
    SimControl control_;
    std::string printer_;
    Device_Dev target_; // the record every operation is handed
    CSableManager manager_;
};
