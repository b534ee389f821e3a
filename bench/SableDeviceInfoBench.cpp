// Times a network device-information read against the running simulator and counts the
// HTTP requests it made. Prints its figures; fails when a read needs other than the four
// documents or the median read takes 200 ms or more.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "TestFolder.h"
#include "sable/SableTestSupport.h"
#include "sable/SimControl.h"
#include "sable/SableManager.h"

int wmain()
{
    SimControl control;
    if (!control.Ready()) {
        std::printf("KELO_SABLE_SIM_READY names no running simulator\n");
        return 2;
    }
    SableFolderFixture folder;
    Device_Dev device;
    device.deviceName = L"Kelo Vireo 4500 All-in-One";
    device.address = L"127.0.6.12";
    device.isNetwork = true;

    CSableManager manager;
    constexpr int kReads = 7;
    std::vector<double> milliseconds;
    int requestsPerRead = -1;
    bool allRead = true;
    for (int read = 0; read < kReads; ++read) {
        control.Post("/printers/sable-bench/clear", "");
        manager.ResetDeviceData();
        const auto start = std::chrono::steady_clock::now();
        allRead = manager.GetDeviceInfo(device) && allRead;
        milliseconds.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        const int requests = control.HttpRequests("sable-bench");
        if (read == 0)
            requestsPerRead = requests;
        else if (requests != requestsPerRead)
            requestsPerRead = -1;
    }
    std::vector<double> sorted = milliseconds;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted[sorted.size() / 2];
    std::printf("sable network device information read: %d reads\n", kReads);
    std::printf("  http requests per read: %d (expected 4)\n", requestsPerRead);
    std::printf("  first read: %.1f ms, median: %.1f ms, slowest: %.1f ms (budget 200 ms)\n", milliseconds.front(),
                median, sorted.back());
    return allRead && requestsPerRead == 4 && median < 200.0 ? 0 : 1;
}
