#pragma once
// Network Sable tests: a selected network printer of the running simulator.
#include "SableTestSupport.h"
#include "SimControl.h"
#include "discovery/SelectedDevice.h"
#include "sable/SableManager.h"

class SableNetworkFixture : public SableFolderFixture {
public:
    explicit SableNetworkFixture(const std::string& printer, const std::wstring& address) : printer_(printer)
    {
        Device_Dev device;
        device.deviceName = L"Kelo Vireo 4500 All-in-One";
        device.address = address;
        device.isNetwork = true;
        SetSelectedDevice(device);
        control_.Post("/printers/" + printer_ + "/clear", "");
        control_.Settings(printer_, "fault.http =\nstatuses = ready\nalert =\njob-final-state = completed\n");
        SableWaits waits;
        waits.sleep = [](DWORD) {};
        waits.maxBodyBytes = 256 * 1024;
        waits.usbPrintJobMs = waits.usbCalibrationMs = waits.networkJobMs = 5000;
        manager_.SetWaits(waits);
    }
    ~SableNetworkFixture() { SetSelectedDevice(std::nullopt); }

protected:
    SimControl control_;
    std::string printer_;
    CSableManager manager_;
};
