// The network search against the simulated printers of search.scenario on 127.0.5.0/27
// (kelo-printer-sim, started as a ctest fixture), called the way the search window calls
// it. Every search here is bounded by config\search.ini to 127.0.5.0/27; loopback servers
// of this program stand at the range's edges and just outside it to catch any stray probe.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <memory>
#include <thread>

#include "CoreTestSupport.h"
#include "LoopbackHttpServer.h"

using NGWinApi::ComPtr;
using NGWinApi::UniqueBstr;
using NGWinApi::UniqueVariant;

namespace {

constexpr char kConfig[] = "[Search]\r\nRanges=127.0.5.0/27\r\nProbeTimeoutMs=300\r\n";
constexpr DWORD kSearchDeadlineMs = 15000;

class CoreSearch : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A web server that is no printer, inside the range.
        stranger_ = std::make_unique<LoopbackHttpServer>("127.0.5.20", 8080);
        ASSERT_TRUE(stranger_->Listening());
        stranger_->Answer("/DevMgmt/ProductConfigDyn.xml", 404, "Content-Type: text/html\r\n", "<html>no</html>");
        // The network and broadcast addresses of the range, and the first address past it.
        for (const char* address : {"127.0.5.0", "127.0.5.31", "127.0.5.32"}) {
            sentinels_.push_back(std::make_unique<LoopbackHttpServer>(address, 8080));
            ASSERT_TRUE(sentinels_.back()->Listening()) << address;
        }
    }

    void TearDown() override
    {
        for (const auto& sentinel : sentinels_)
            EXPECT_TRUE(sentinel->Requests().empty()) << "probed outside the range: " << sentinel->Address();
    }

    // The search window's calls: the settings' network and prefix to the enumerator, the
    // probe methods 17, then the start.
    void StartAsTheToolDoes(IDeviceEnumerator* enumerator, long probeMethods = 17)
    {
        auto info = CreateCore<INetworkInfo>(CLSID_NetworkInfo);
        ASSERT_TRUE(info);
        UniqueVariant value;
        ASSERT_EQ(info->GetNetworkSettings(value.get()), S_OK);
        ASSERT_EQ((*value).vt, VT_DISPATCH);
        ComPtr<INetworkAdapterSettings> settings;
        ASSERT_EQ((*value).pdispVal->QueryInterface(IID_INetworkAdapterSettings, settings.put_void()), S_OK);
        LONG connected = 0;
        ASSERT_EQ(settings->get_Connected(&connected), S_OK);
        ASSERT_EQ(connected, 1);
        UniqueBstr network;
        ASSERT_EQ(settings->get_SearchNetwork(network.put()), S_OK);
        ASSERT_EQ(enumerator->put_SearchNetwork(network.get()), S_OK);
        LONG prefix = 0;
        ASSERT_EQ(settings->get_SearchPrefixLength(&prefix), S_OK);
        ASSERT_EQ(enumerator->put_SearchPrefixLength(prefix), S_OK);
        ASSERT_EQ(enumerator->put_ProbeMethods(probeMethods), S_OK);
        ASSERT_EQ(enumerator->StartNetworkEnumeration(), S_OK);
    }

    std::vector<DeviceView> Found(IDeviceEnumerator* enumerator, long selection = 1)
    {
        ComPtr<IDeviceCollection> devices;
        EXPECT_EQ(enumerator->GetNetworkDevices(selection, devices.put()), S_OK);
        return devices ? ReadDevices(devices.get()) : std::vector<DeviceView>{};
    }

    NGWinApi::ComInitialization com_;
    SearchConfigFile config_{kConfig};
    std::unique_ptr<LoopbackHttpServer> stranger_;
    std::vector<std::unique_ptr<LoopbackHttpServer>> sentinels_;
};

// Whether a raw ICMP socket of this program hears a port-unreachable (administrator
// rights; root under Wine): one datagram to 127.0.5.1, where nothing listens.
bool RawSocketHearsRefusals()
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return false;
    SOCKET raw = socket(AF_INET, SOCK_RAW, IPPROTO_ICMP);
    SOCKET udp = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    sockaddr_in nobody = any;
    nobody.sin_port = htons(161);
    nobody.sin_addr.s_addr = htonl(0x7F000501);
    bool heard = false;
    if (raw != INVALID_SOCKET && udp != INVALID_SOCKET &&
        bind(raw, reinterpret_cast<const sockaddr*>(&any), sizeof(any)) == 0 &&
        sendto(udp, "?", 1, 0, reinterpret_cast<const sockaddr*>(&nobody), sizeof(nobody)) == 1) {
        fd_set read;
        FD_ZERO(&read);
        FD_SET(raw, &read);
        timeval wait{0, 500000};
        heard = select(0, &read, nullptr, nullptr, &wait) == 1;
    }
    for (SOCKET socket : {raw, udp})
        if (socket != INVALID_SOCKET)
            closesocket(socket);
    WSACleanup();
    return heard;
}

// Progress rises within 0-100 and reaches 100, then one completion ends the events.
void ExpectProgressThenCompletion(const std::vector<EventRecorder::Event>& events)
{
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().id, 2);
    long last = -1;
    for (size_t i = 0; i + 1 < events.size(); ++i) {
        EXPECT_EQ(events[i].id, 1) << "event " << i;
        EXPECT_GT(events[i].value, last);
        EXPECT_LE(events[i].value, 100);
        last = events[i].value;
    }
    EXPECT_EQ(last, 100);
}

} // namespace

TEST_F(CoreSearch, FindsThePrintersInTheRangeWithTheirQueues)
{
    EventRecorder recorder;
    auto enumerator = CreateCore<IDeviceEnumerator>(CLSID_DeviceEnumerator);
    ASSERT_TRUE(enumerator);
    ASSERT_EQ(recorder.Connect(enumerator.get()), S_OK);

    ULONGLONG started = GetTickCount64();
    StartAsTheToolDoes(enumerator.get());
    VARIANT_BOOL running = VARIANT_FALSE;
    EXPECT_EQ(enumerator->get_EnumerationInProgress(&running), S_OK);
    EXPECT_EQ(running, VARIANT_TRUE);
    EXPECT_EQ(enumerator->StartNetworkEnumeration(), HRESULT_FROM_WIN32(ERROR_BUSY));
    ASSERT_TRUE(recorder.WaitForCompletion(kSearchDeadlineMs));
    ULONGLONG elapsed = GetTickCount64() - started;
    // With 300 ms probes: the silent printer and the late web server end by their time-outs.
    EXPECT_LT(elapsed, 3000u);
    EXPECT_GE(elapsed, 300u) << "the silent printer's SNMP gets its second chance within T";

    auto events = recorder.Events();
    ExpectProgressThenCompletion(events);
    for (const auto& event : events)
        EXPECT_EQ(event.thread, GetCurrentThreadId()) << "events reach a window thread on that thread";
    EXPECT_EQ(enumerator->get_EnumerationInProgress(&running), S_OK);
    EXPECT_EQ(running, VARIANT_FALSE);

    auto found = Found(enumerator.get());
    std::vector<std::wstring> addresses;
    for (const DeviceView& device : found)
        addresses.push_back(device.ipAddress);
    // Not the silent printer, not the web server that is no printer, nothing outside.
    EXPECT_EQ(addresses, (std::vector<std::wstring>{L"127.0.5.10", L"127.0.5.11", L"127.0.5.13"}));

    const DeviceView* sable = FindDevice(found, &DeviceView::ipAddress, L"127.0.5.10");
    ASSERT_NE(sable, nullptr);
    EXPECT_EQ(sable->name, L"Kelo Workline 4420 All-in-One");
    EXPECT_EQ(sable->productName, L"Kelo Workline 4420 All-in-One");
    EXPECT_EQ(sable->serialNumber, L"CN5912T10A");
    EXPECT_EQ(sable->connectionType, 2);
    EXPECT_EQ(sable->flags, 0x17) << "SNMP, the product configuration, a queue, the maker's";
    EXPECT_EQ(sable->printerName, L"Kelo Workline 4420 Series (127.0.5.10)");
    EXPECT_EQ(sable->friendlyName, sable->printerName);
    EXPECT_EQ(sable->driverInstalled, VARIANT_TRUE);

    const DeviceView* quill = FindDevice(found, &DeviceView::ipAddress, L"127.0.5.11");
    ASSERT_NE(quill, nullptr);
    EXPECT_EQ(quill->name, L"Kelo Workline 6500 All-in-One");
    EXPECT_EQ(quill->manufacturer, L"Kelo");
    EXPECT_EQ(quill->flags & 0x13, 0x11) << "the identification object, not the web server";

    const DeviceView* slow = FindDevice(found, &DeviceView::ipAddress, L"127.0.5.13");
    ASSERT_NE(slow, nullptr);
    EXPECT_EQ(slow->flags & 0x13, 0x11) << "its late web server was given up";

    EXPECT_EQ(stranger_->RequestsFor("/DevMgmt/ProductConfigDyn.xml").size(), 1u);
    EXPECT_EQ(Found(enumerator.get(), 2).size(), 3u) << "all of them are the maker's";
}

TEST_F(CoreSearch, SnmpOnlyLeavesWebServersAlone)
{
    EventRecorder recorder;
    auto enumerator = CreateCore<IDeviceEnumerator>(CLSID_DeviceEnumerator);
    ASSERT_EQ(recorder.Connect(enumerator.get()), S_OK);
    StartAsTheToolDoes(enumerator.get(), 0x01);
    ASSERT_TRUE(recorder.WaitForCompletion(kSearchDeadlineMs));

    auto found = Found(enumerator.get());
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].flags & 0x13, 0x11);
    EXPECT_TRUE(stranger_->Requests().empty());
}

TEST_F(CoreSearch, FindsASablePrinterWhoseAgentIsSwitchedOff)
{
    // Its SNMP port refuses; the host is up, so its product configuration is still asked for.
    LoopbackHttpServer printer("127.0.5.21", 8080);
    ASSERT_TRUE(printer.Listening());
    printer.Answer("/DevMgmt/ProductConfigDyn.xml", 200, "Content-Type: text/xml\r\n",
                   "<?xml version=\"1.0\"?><prdcfgdyn2:ProductConfigDyn xmlns:prdcfgdyn2=\"urn:x\" "
                   "xmlns:dd=\"urn:y\"><prdcfgdyn:ProductInformation><dd:MakeAndModel>Kelo Workline 4420 "
                   "All-in-One</dd:MakeAndModel><dd:SerialNumber>CN5912NOSNMP</dd:SerialNumber>"
                   "</prdcfgdyn:ProductInformation></prdcfgdyn2:ProductConfigDyn>");
    EventRecorder recorder;
    auto enumerator = CreateCore<IDeviceEnumerator>(CLSID_DeviceEnumerator);
    ASSERT_EQ(recorder.Connect(enumerator.get()), S_OK);
    StartAsTheToolDoes(enumerator.get());
    ASSERT_TRUE(recorder.WaitForCompletion(kSearchDeadlineMs));
    const auto found = Found(enumerator.get());
    const DeviceView* sable = FindDevice(found, &DeviceView::ipAddress, L"127.0.5.21");
    ASSERT_NE(sable, nullptr);
    EXPECT_EQ(sable->serialNumber, L"CN5912NOSNMP");
}

TEST_F(CoreSearch, HostsWithoutAnAgentEndAtOnce)
{
    if (!RawSocketHearsRefusals())
        GTEST_SKIP() << "no raw ICMP socket here: such hosts end by the time-outs";
    EventRecorder recorder;
    auto enumerator = CreateCore<IDeviceEnumerator>(CLSID_DeviceEnumerator);
    ASSERT_EQ(recorder.Connect(enumerator.get()), S_OK);
    // 127.0.5.1 to .6: nothing listens there.
    UniqueBstr network(L"127.0.5.0");
    ASSERT_EQ(enumerator->put_SearchNetwork(network.get()), S_OK);
    ASSERT_EQ(enumerator->put_SearchPrefixLength(29), S_OK);
    ASSERT_EQ(enumerator->put_ProbeMethods(17), S_OK);
    ULONGLONG started = GetTickCount64();
    ASSERT_EQ(enumerator->StartNetworkEnumeration(), S_OK);
    ASSERT_TRUE(recorder.WaitForCompletion(kSearchDeadlineMs));
    EXPECT_LT(GetTickCount64() - started, 300u) << "their port-unreachables end them, not the 300 ms time-out";
    EXPECT_TRUE(Found(enumerator.get()).empty());
}

TEST_F(CoreSearch, ARequestOutsideTheConfiguredRangesProbesNothing)
{
    EventRecorder recorder;
    auto enumerator = CreateCore<IDeviceEnumerator>(CLSID_DeviceEnumerator);
    ASSERT_EQ(recorder.Connect(enumerator.get()), S_OK);
    UniqueBstr elsewhere(L"10.0.0.0");
    ASSERT_EQ(enumerator->put_SearchNetwork(elsewhere.get()), S_OK);
    ASSERT_EQ(enumerator->put_SearchPrefixLength(8), S_OK);
    ASSERT_EQ(enumerator->StartNetworkEnumeration(), S_OK);
    ASSERT_TRUE(recorder.WaitForCompletion(kSearchDeadlineMs));
    ExpectProgressThenCompletion(recorder.Events());
    EXPECT_TRUE(Found(enumerator.get()).empty());
    EXPECT_TRUE(stranger_->Requests().empty());
}

TEST_F(CoreSearch, ASearchStartedInTheMultithreadedApartmentReportsFromItsWorker)
{
    std::vector<EventRecorder::Event> events;
    DWORD starter = 0;
    size_t found = 0;
    std::thread caller([&] {
        if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
            return;
        {
            EventRecorder recorder;
            auto enumerator = CreateCore<IDeviceEnumerator>(CLSID_DeviceEnumerator);
            if (enumerator && SUCCEEDED(recorder.Connect(enumerator.get()))) {
                starter = GetCurrentThreadId();
                StartAsTheToolDoes(enumerator.get());
                // No message loop here: nothing may depend on one.
                if (WaitForSingleObject(recorder.Completed(), kSearchDeadlineMs) == WAIT_OBJECT_0) {
                    events = recorder.Events();
                    found = Found(enumerator.get()).size();
                }
            }
        }
        CoUninitialize();
    });
    caller.join();
    ASSERT_NE(starter, 0u);
    ExpectProgressThenCompletion(events);
    for (const auto& event : events)
        EXPECT_NE(event.thread, starter);
    EXPECT_EQ(found, 3u);
}

TEST_F(CoreSearch, CancelledOrAbandonedSearchesEndCleanly)
{
    {
        EventRecorder recorder;
        auto enumerator = CreateCore<IDeviceEnumerator>(CLSID_DeviceEnumerator);
        ASSERT_EQ(recorder.Connect(enumerator.get()), S_OK);
        StartAsTheToolDoes(enumerator.get());
        ASSERT_EQ(enumerator->CancelNetworkEnumeration(), S_OK);
        ASSERT_TRUE(recorder.WaitForCompletion(kSearchDeadlineMs));
        size_t heard = recorder.Events().size();
        EXPECT_EQ(recorder.Events().back().id, 2) << "a cancelled search still completes";
        // Another search may start once the first has completed; a disconnected sink hears nothing of it.
        StartAsTheToolDoes(enumerator.get());
        ASSERT_EQ(recorder.Disconnect(), S_OK);
        PumpFor(1500);
        EXPECT_EQ(recorder.Events().size(), heard);
    }
    {
        // The enumerator goes while its search runs: no event, no crash, the worker ends.
        EventRecorder recorder;
        auto enumerator = CreateCore<IDeviceEnumerator>(CLSID_DeviceEnumerator);
        ASSERT_EQ(recorder.Connect(enumerator.get()), S_OK);
        StartAsTheToolDoes(enumerator.get());
        recorder.Disconnect();
        enumerator.reset();
        PumpFor(1500);
        EXPECT_TRUE(recorder.Events().empty());
    }
    // The component still works afterwards.
    EventRecorder recorder;
    auto enumerator = CreateCore<IDeviceEnumerator>(CLSID_DeviceEnumerator);
    ASSERT_EQ(recorder.Connect(enumerator.get()), S_OK);
    StartAsTheToolDoes(enumerator.get());
    ASSERT_TRUE(recorder.WaitForCompletion(kSearchDeadlineMs));
    EXPECT_EQ(Found(enumerator.get()).size(), 3u);
}
