// The Connectivity Test: real echoes to loopback, the echo and resolver seams through fakes of the
// kernel and socket wrappers, and simulated USB printers behind the device I/O wrapper.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/FakeUsbDeviceIo.h"
#include "tools/ConnectivityTest.h"
#include "winapi/DeviceIoApi.h"
#include "winapi/NGWinApi.h"
#include "winapi/SocketApi.h"

#include <icmpapi.h>

namespace {

IPAddr Loopback(unsigned last) { return htonl(0x7F000000u | last); }

// What the fake ICMP procedures were given, and what they answer.
struct IcmpScript {
    bool createFails = false;
    DWORD replies = 1;
    ULONG status = IP_SUCCESS;

    int created = 0;
    int closed = 0;
    int sent = 0;
    HANDLE closedHandle = nullptr;
    IPAddr target = 0;
    WORD requestSize = 0xFFFF;
    bool hadOptions = false;
    IP_OPTION_INFORMATION options{};
    DWORD replySize = 0;
    DWORD timeout = 0;
};

IcmpScript* g_icmp = nullptr;
const HANDLE kIcmpHandle = reinterpret_cast<HANDLE>(0x4242);

HANDLE WINAPI FakeIcmpCreateFile()
{
    ++g_icmp->created;
    return g_icmp->createFails ? INVALID_HANDLE_VALUE : kIcmpHandle;
}

BOOL WINAPI FakeIcmpCloseHandle(HANDLE handle)
{
    ++g_icmp->closed;
    g_icmp->closedHandle = handle;
    return TRUE;
}

DWORD WINAPI FakeIcmpSendEcho(HANDLE handle, IPAddr target, LPVOID, WORD requestSize, PIP_OPTION_INFORMATION options,
                              LPVOID reply, DWORD replySize, DWORD timeout)
{
    IcmpScript& s = *g_icmp;
    ++s.sent;
    EXPECT_EQ(handle, kIcmpHandle);
    s.target = target;
    s.requestSize = requestSize;
    s.hadOptions = options != nullptr;
    if (options != nullptr)
        s.options = *options;
    s.replySize = replySize;
    s.timeout = timeout;
    // The system writes the outcome into the first record even when it counts no reply (a time-out).
    if (replySize >= sizeof(ICMP_ECHO_REPLY)) {
        ICMP_ECHO_REPLY record{};
        record.Address = target;
        record.Status = s.status;
        std::memcpy(reply, &record, sizeof record);
    }
    return s.replies;
}

template <class Fn>
FARPROC AsProc(Fn fn)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(fn));
}

// Loads the real Iphlpapi.dll but hands out the fake ICMP procedures; can hide the module or one procedure.
class FakeKernel : public NGWinApi::CKernelApi {
public:
    bool libraryMissing = false;
    std::string missingProcedure;
    bool conversionFails = false;

    int loads = 0;
    int frees = 0;
    std::wstring loadedName;
    std::vector<UINT> codePages;

    HMODULE LoadLibraryW(LPCWSTR fileName) override
    {
        ++loads;
        loadedName = fileName;
        if (libraryMissing)
            return nullptr;
        module_ = CKernelApi::LoadLibraryW(fileName);
        return module_;
    }
    BOOL FreeLibrary(HMODULE module) override
    {
        if (module != nullptr && module == module_)
            ++frees;
        return CKernelApi::FreeLibrary(module);
    }
    FARPROC GetProcAddress(HMODULE module, LPCSTR name) override
    {
        if (module == nullptr || module != module_ || reinterpret_cast<uintptr_t>(name) <= 0xFFFF)
            return CKernelApi::GetProcAddress(module, name);
        std::string procedure = name;
        if (procedure == missingProcedure)
            return nullptr;
        if (procedure == "IcmpCreateFile")
            return AsProc(&FakeIcmpCreateFile);
        if (procedure == "IcmpCloseHandle")
            return AsProc(&FakeIcmpCloseHandle);
        if (procedure == "IcmpSendEcho")
            return AsProc(&FakeIcmpSendEcho);
        return CKernelApi::GetProcAddress(module, name);
    }
    int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideSize, LPSTR multiByte,
                            int multiByteSize, LPCCH defaultChar, LPBOOL usedDefaultChar) override
    {
        codePages.push_back(codePage);
        if (conversionFails) {
            ::SetLastError(ERROR_NO_UNICODE_TRANSLATION);
            return 0;
        }
        return CKernelApi::WideCharToMultiByte(codePage, flags, wide, wideSize, multiByte, multiByteSize,
                                               defaultChar, usedDefaultChar);
    }

private:
    HMODULE module_ = nullptr;
};

// Real Winsock start and address parsing; names resolve only from the table, never through DNS.
class FakeSockets : public NGWinApi::CSocketApi {
public:
    bool startupFails = false;
    WORD reportedVersion = 0; // 0: what the system reports
    std::map<std::string, std::vector<IPAddr>> hosts;

    int startups = 0; // successful ones
    int cleanups = 0;
    WORD requestedVersion = 0;
    std::vector<std::string> lookups;

    int WSAStartup(WORD version, LPWSADATA data) override
    {
        requestedVersion = version;
        if (startupFails)
            return WSASYSNOTREADY;
        int result = CSocketApi::WSAStartup(version, data);
        if (result == 0) {
            ++startups;
            if (reportedVersion != 0)
                data->wVersion = reportedVersion;
        }
        return result;
    }
    int WSACleanup() override
    {
        ++cleanups;
        return CSocketApi::WSACleanup();
    }
    hostent* gethostbyname(const char* name) override
    {
        lookups.emplace_back(name);
        auto found = hosts.find(name);
        if (found == hosts.end())
            return nullptr;
        addresses_ = found->second;
        list_.clear();
        for (IPAddr& address : addresses_)
            list_.push_back(reinterpret_cast<char*>(&address));
        list_.push_back(nullptr);
        entry_ = hostent{};
        entry_.h_addrtype = AF_INET;
        entry_.h_length = sizeof(IPAddr);
        entry_.h_addr_list = list_.data();
        return &entry_;
    }

private:
    hostent entry_{};
    std::vector<IPAddr> addresses_;
    std::vector<char*> list_;
};

// Every seam of a ping in place for one case.
struct PingSeams {
    PingSeams() { g_icmp = &icmp; }
    ~PingSeams() { g_icmp = nullptr; }
    PingSeams(const PingSeams&) = delete;
    PingSeams& operator=(const PingSeams&) = delete;

    // The helper let go of everything it took.
    void ExpectReleased() const
    {
        EXPECT_EQ(kernel.frees, kernel.libraryMissing ? 0 : kernel.loads) << "Iphlpapi.dll freed after every ping";
        EXPECT_EQ(sockets.cleanups, sockets.startups) << "WSACleanup balances WSAStartup";
        EXPECT_EQ(icmp.closed, icmp.createFails ? 0 : icmp.created) << "every echo handle closed";
    }

    IcmpScript icmp;
    FakeKernel kernel;
    FakeSockets sockets;
    NGWinApi::ScopedApi<NGWinApi::CKernelApi> kernelScope{kernel};
    NGWinApi::ScopedApi<NGWinApi::CSocketApi> socketScope{sockets};
};

// Simulated USB printers; an identification can be put in place of the printer's own.
class UsbIo : public sim::FakeUsbDeviceIo {
public:
    std::string identification;

    BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                         LPDWORD returned, LPOVERLAPPED overlapped) override
    {
        if (!FakeUsbDeviceIo::DeviceIoControl(device, code, in, inSize, out, outSize, returned, overlapped))
            return FALSE;
        if (code == NGWinApi::kIoctlParQueryDeviceId && !identification.empty()) {
            std::memcpy(out, identification.c_str(), identification.size() + 1);
            *returned = static_cast<DWORD>(identification.size() + 1);
        }
        return TRUE;
    }
};

class ConnectivityUsbTest : public ::testing::Test {
protected:
    ConnectivityUsbTest() : scoped_(io_) {}

    Device_Dev Plugged(int statusCode)
    {
        sim::PrinterConfig config = sim::DefaultPrinter("desk");
        config.usb = true;
        config.statusCode = statusCode;
        Device_Dev device;
        device.address = io_.Plug(std::make_shared<sim::UsbPrinter>(std::make_shared<sim::SimDevice>(config)));
        device.statusCode = 5; // whatever an earlier run left
        return device;
    }

    UsbIo io_;
    NGWinApi::ScopedApi<NGWinApi::CDeviceIoApi> scoped_;
};

} // namespace

TEST(ConnectivityEchoTest, LoopbackAnswersByAddressAndByName)
{
    EXPECT_TRUE(Ping(L"127.0.0.1"));
    EXPECT_TRUE(Ping(L"localhost"));

    Device_Dev device;
    device.isNetwork = true;
    device.address = L"127.0.0.1";
    EXPECT_EQ(CConnectivityTest().Run(device), kRunPassed);
}

TEST(ConnectivityEchoTest, SendsOneEchoWithoutDataAndTheFixedOptions)
{
    PingSeams seams;
    EXPECT_TRUE(Ping(L"127.0.0.10"));

    EXPECT_EQ(seams.kernel.loadedName, L"Iphlpapi.dll");
    EXPECT_EQ(seams.sockets.requestedVersion, 0x0101);
    ASSERT_FALSE(seams.kernel.codePages.empty());
    for (UINT codePage : seams.kernel.codePages)
        EXPECT_EQ(codePage, static_cast<UINT>(CP_ACP));
    EXPECT_TRUE(seams.sockets.lookups.empty()) << "a dotted address goes out without any lookup";

    const IcmpScript& icmp = seams.icmp;
    EXPECT_EQ(icmp.created, 1);
    EXPECT_EQ(icmp.sent, 1);
    EXPECT_EQ(icmp.target, Loopback(10));
    EXPECT_EQ(icmp.requestSize, 0);
    ASSERT_TRUE(icmp.hadOptions);
    EXPECT_EQ(icmp.options.Ttl, 255);
    EXPECT_EQ(icmp.options.Tos, 0);
    EXPECT_EQ(icmp.options.Flags, 0);
    EXPECT_EQ(icmp.options.OptionsSize, 0);
    EXPECT_EQ(icmp.options.OptionsData, nullptr);
    EXPECT_EQ(icmp.replySize, sizeof(ICMP_ECHO_REPLY) + 8);
    EXPECT_EQ(icmp.timeout, 1000u);
    EXPECT_EQ(icmp.closedHandle, kIcmpHandle);
    seams.ExpectReleased();
}

TEST(ConnectivityEchoTest, OnlyACountedSuccessfulReplyPasses)
{
    struct Case {
        DWORD replies;
        ULONG status;
        bool passes;
    };
    for (Case c : {Case{1, IP_SUCCESS, true}, Case{2, IP_SUCCESS, true}, Case{0, IP_REQ_TIMED_OUT, false},
                   Case{0, IP_SUCCESS, false}, Case{1, IP_DEST_HOST_UNREACHABLE, false},
                   Case{1, IP_TTL_EXPIRED_TRANSIT, false}}) {
        PingSeams seams;
        seams.icmp.replies = c.replies;
        seams.icmp.status = c.status;
        EXPECT_EQ(Ping(L"127.0.0.10"), c.passes) << c.replies << " replies, status " << c.status;
        EXPECT_EQ(seams.icmp.sent, 1);
        EXPECT_EQ(seams.icmp.closed, 1) << "closed whatever the outcome";
        seams.ExpectReleased();
    }
}

TEST(ConnectivityEchoTest, NoEchoHandleFailsWithoutSending)
{
    PingSeams seams;
    seams.icmp.createFails = true;
    EXPECT_FALSE(Ping(L"127.0.0.10"));
    EXPECT_EQ(seams.icmp.created, 1);
    EXPECT_EQ(seams.icmp.sent, 0);
    EXPECT_EQ(seams.icmp.closed, 0);
    seams.ExpectReleased();
}

TEST(ConnectivityEchoTest, MissingIcmpHelperFails)
{
    for (std::string missing : {"Iphlpapi.dll", "IcmpCreateFile", "IcmpCloseHandle", "IcmpSendEcho"}) {
        PingSeams seams;
        seams.kernel.libraryMissing = missing == "Iphlpapi.dll";
        seams.kernel.missingProcedure = missing;
        EXPECT_FALSE(Ping(L"127.0.0.10")) << missing;
        EXPECT_EQ(seams.icmp.created, 0) << missing;
        EXPECT_EQ(seams.icmp.sent, 0) << missing;
        seams.ExpectReleased();
    }
}

TEST(ConnectivityEchoTest, WinsockMustStartAsVersion11)
{
    {
        PingSeams seams;
        seams.sockets.reportedVersion = 0x0202;
        EXPECT_FALSE(Ping(L"127.0.0.10"));
        EXPECT_EQ(seams.icmp.created, 0);
        EXPECT_EQ(seams.sockets.startups, 1);
        seams.ExpectReleased();
    }
    {
        PingSeams seams;
        seams.sockets.startupFails = true;
        EXPECT_FALSE(Ping(L"127.0.0.10"));
        EXPECT_EQ(seams.icmp.created, 0);
        EXPECT_EQ(seams.sockets.cleanups, 0) << "nothing to clean up after a failed start";
        seams.ExpectReleased();
    }
}

TEST(ConnectivityEchoTest, HostNamesResolveToTheirFirstAddress)
{
    PingSeams seams;
    seams.sockets.hosts["printer.lan"] = {Loopback(12), Loopback(13)};
    seams.sockets.hosts["gone.lan"] = {};

    EXPECT_TRUE(Ping(L"printer.lan"));
    EXPECT_EQ(seams.icmp.target, Loopback(12));
    EXPECT_EQ(seams.icmp.sent, 1);

    EXPECT_FALSE(Ping(L"unknown.lan"));
    EXPECT_FALSE(Ping(L"gone.lan")) << "a host entry without addresses";
    EXPECT_EQ(seams.icmp.sent, 1) << "no echo without a target";
    EXPECT_EQ(seams.sockets.lookups, (std::vector<std::string>{"printer.lan", "unknown.lan", "gone.lan"}));
    seams.ExpectReleased();
}

TEST(ConnectivityEchoTest, AnAddressThatCannotBeConvertedFails)
{
    PingSeams seams;
    seams.kernel.conversionFails = true;
    EXPECT_FALSE(Ping(L"printer.lan"));
    seams.kernel.conversionFails = false;
    EXPECT_FALSE(Ping(L"")) << "an empty address must not resolve to this machine";
    EXPECT_TRUE(seams.sockets.lookups.empty());
    EXPECT_EQ(seams.icmp.created, 0);
    seams.ExpectReleased();
}

TEST_F(ConnectivityUsbTest, APrinterWhoseIdentificationReadsPasses)
{
    for (auto [status, code] : {std::pair{0x00, 0}, std::pair{0x0e, 14}, std::pair{0x40, 6}}) {
        Device_Dev device = Plugged(status);
        EXPECT_EQ(CConnectivityTest().Run(device), kRunPassed) << status;
        EXPECT_EQ(device.statusCode, code) << status;
        io_.Unplug(device.address);
    }

    io_.identification = "MFG:Kelo;MDL:Kelo Vireo 4500;CMD:PCL3GUI,PJL;CLS:PRINTER;";
    Device_Dev device = Plugged(0x0e);
    EXPECT_EQ(CConnectivityTest().Run(device), kRunPassed) << "no status field";
    EXPECT_EQ(device.statusCode, 0);
    EXPECT_EQ(io_.OpenHandles(), 0u);
}

TEST_F(ConnectivityUsbTest, AnUnreachablePrinterFails)
{
    Device_Dev device = Plugged(0x0e);
    io_.Unplug(device.address);
    EXPECT_EQ(CConnectivityTest().Run(device), kRunFailed);
    EXPECT_EQ(device.statusCode, -1);

    device.address = L"\\\\?\\USB#VID_0A7E&PID_9999#NOSUCH#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
    device.statusCode = 5;
    EXPECT_EQ(CConnectivityTest().Run(device), kRunFailed);
    EXPECT_EQ(device.statusCode, -1);

    Device_Dev busy = Plugged(0x0e);
    HANDLE holder = io_.CreateFileW(busy.address.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                    nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CConnectivityTest().Run(busy), kRunFailed) << "held by someone else";
    io_.CloseHandle(holder);
}

TEST_F(ConnectivityUsbTest, RunChoosesThePathByTheNetworkFlag)
{
    PingSeams seams;
    Device_Dev usb = Plugged(0x0e);
    usb.isNetwork = true;
    EXPECT_EQ(CConnectivityTest().Run(usb), kRunFailed) << "a network record is pinged, not read over USB";
    EXPECT_EQ(seams.sockets.lookups.size(), 1u);
    EXPECT_EQ(usb.statusCode, 5) << "a ping leaves the status code alone";

    Device_Dev network;
    network.address = L"127.0.0.10";
    network.statusCode = 7;
    EXPECT_EQ(CConnectivityTest().Run(network), kRunFailed) << "a USB record is not pinged";
    EXPECT_EQ(seams.icmp.sent, 0);
    EXPECT_EQ(network.statusCode, -1);

    network.isNetwork = true;
    network.statusCode = 7;
    EXPECT_EQ(CConnectivityTest().Run(network), kRunPassed);
    EXPECT_EQ(seams.icmp.target, Loopback(10));
    EXPECT_EQ(network.statusCode, 7);
}
