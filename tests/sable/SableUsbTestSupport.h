#pragma once
// USB Sable tests: the simulator's USB printer behind a device I/O fake, its record, with
// waits short enough for tests. Plugging it in is left to the test.
#include <chrono>
#include <memory>
#include <string>

#include "SableTestSupport.h"
#include "sable/SableManager.h"
#include "sim/FakeUsbDeviceIo.h"

template <class DeviceIo = sim::FakeUsbDeviceIo>
class SableUsbFixture : public SableFolderFixture {
public:
    SableUsbFixture() : scopedIo_(io_)
    {
        io_.SetSyncTimeout(std::chrono::milliseconds(20));
        sim::PrinterConfig config = sim::DefaultPrinter("desk");
        config.usb = true;
        config.jobDelayMs = 20;
        device_ = std::make_shared<sim::SimDevice>(config);
        printer_ = std::make_shared<sim::UsbPrinter>(device_);
        target_.deviceName = L"Kelo Vireo 4500";
        target_.hardwareId = L"vid_0a7e&pid_" + std::wstring(config.productId.begin(), config.productId.end());
        SableWaits waits;
        waits.sleep = [](DWORD) {};
        waits.readEventMs = 2000;
        waits.maxBodyBytes = 64 * 1024;
        waits.usbPrintJobMs = waits.usbCalibrationMs = 5000;
        manager_.SetWaits(waits);
    }

    void Set(const std::string& key, const std::string& value)
    {
        std::string error;
        if (!device_->Apply(key, value, error))
            ADD_FAILURE() << key << ": " << error;
    }

protected:
    DeviceIo io_;
    NGWinApi::ScopedApi<NGWinApi::CDeviceIoApi> scopedIo_;
    std::shared_ptr<sim::SimDevice> device_;
    std::shared_ptr<sim::UsbPrinter> printer_;
    Device_Dev target_; // the record every operation is handed
    CSableManager manager_;
};
