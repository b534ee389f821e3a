#include "tools/ConnectivityTest.h"

#include <cstring>
#include <string>

#include "discovery/UsbStatus.h"
#include "winapi/NGWinApi.h"
#include "winapi/SocketApi.h"

#include <icmpapi.h>

using namespace NGWinApi;

namespace {

constexpr WORD kWinsockVersion = 0x0101;
constexpr UCHAR kEchoTimeToLive = 255;
constexpr DWORD kEchoTimeoutMs = 1000;
// The documented minimum for an echo without data: one reply record and room for an ICMP error;
// a buffer of the bare record size is below it.
constexpr DWORD kReplyBufferBytes = sizeof(ICMP_ECHO_REPLY) + 8;

using IcmpCreateFileFn = HANDLE(WINAPI*)();
using IcmpCloseHandleFn = BOOL(WINAPI*)(HANDLE);
using IcmpSendEchoFn = DWORD(WINAPI*)(HANDLE, IPAddr, LPVOID, WORD, PIP_OPTION_INFORMATION, LPVOID, DWORD, DWORD);

template <class Fn>
Fn Procedure(HMODULE module, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(Kernel().GetProcAddress(module, name)));
}

// The ICMP procedures, looked up at run time, and a Winsock 1.1 session, for one ping.
class CIcmpHelper {
public:
    CIcmpHelper()
    {
        module_ = Kernel().LoadLibraryW(L"Iphlpapi.dll");
        if (module_ == nullptr)
            return;
        create_ = Procedure<IcmpCreateFileFn>(module_, "IcmpCreateFile");
        close_ = Procedure<IcmpCloseHandleFn>(module_, "IcmpCloseHandle");
        send_ = Procedure<IcmpSendEchoFn>(module_, "IcmpSendEcho");
        if (create_ == nullptr || close_ == nullptr || send_ == nullptr)
            return;
        WSADATA data{};
        started_ = Sockets().WSAStartup(kWinsockVersion, &data) == 0;
        usable_ = started_ && data.wVersion == kWinsockVersion;
    }
    ~CIcmpHelper()
    {
        if (started_)
            Sockets().WSACleanup();
        if (module_ != nullptr)
            Kernel().FreeLibrary(module_);
    }
    CIcmpHelper(const CIcmpHelper&) = delete;
    CIcmpHelper& operator=(const CIcmpHelper&) = delete;

    bool Usable() const { return usable_; }

    // One echo without data; true when the first reply reports success.
    bool Echo(IPAddr target) const
    {
        HANDLE icmp = create_();
        if (icmp == INVALID_HANDLE_VALUE)
            return false;
        IP_OPTION_INFORMATION options{};
        options.Ttl = kEchoTimeToLive;
        options.Tos = 0;
        options.Flags = 0;
        options.OptionsSize = 0;
        options.OptionsData = nullptr;
        char requestData[1] = {};
        alignas(ICMP_ECHO_REPLY) unsigned char reply[kReplyBufferBytes] = {};
        DWORD replies = send_(icmp, target, requestData, 0, &options, reply, kReplyBufferBytes, kEchoTimeoutMs);
        ICMP_ECHO_REPLY first;
        std::memcpy(&first, reply, sizeof first);
        close_(icmp);
        return replies != 0 && first.Status == IP_SUCCESS;
    }

private:
    HMODULE module_ = nullptr;
    IcmpCreateFileFn create_ = nullptr;
    IcmpCloseHandleFn close_ = nullptr;
    IcmpSendEchoFn send_ = nullptr;
    bool started_ = false;
    bool usable_ = false;
};

// The address in the system code page; false when it cannot be converted. An empty address fails
// here rather than reach gethostbyname(""), which would answer with this machine.
bool ToNarrow(const std::wstring& wide, std::string& narrow)
{
    int wideSize = static_cast<int>(wide.size());
    int size = Kernel().WideCharToMultiByte(CP_ACP, 0, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return false;
    narrow.assign(static_cast<size_t>(size), '\0');
    return Kernel().WideCharToMultiByte(CP_ACP, 0, wide.data(), wideSize, narrow.data(), size, nullptr, nullptr) ==
           size;
}

bool Resolve(const std::string& address, IPAddr& target)
{
    unsigned long dotted = Sockets().inet_addr(address.c_str());
    if (dotted != INADDR_NONE) {
        // Used as it is: a reverse lookup would give back this same address, only after a DNS
        // round trip that also tells the DNS server which printer is being tested.
        target = dotted;
        return true;
    }
    hostent* host = Sockets().gethostbyname(address.c_str());
    if (host == nullptr || host->h_addr_list == nullptr || host->h_addr_list[0] == nullptr ||
        host->h_length < static_cast<short>(sizeof(IPAddr)))
        return false;
    std::memcpy(&target, host->h_addr_list[0], sizeof target);
    return true;
}

} // namespace

int32_t CConnectivityTest::Run(Device_Dev& device)
{
    try {
        if (device.isNetwork)
            return Ping(device.address) ? kRunPassed : kRunFailed;
        device.statusCode = -1;
        ReadUsbStatus(device.address, device.statusCode);
        return device.statusCode != -1 ? kRunPassed : kRunFailed;
    } catch (...) {
        return kRunFailed;
    }
}

bool Ping(const std::wstring& address)
{
    try {
        CIcmpHelper helper;
        std::string narrow;
        if (!ToNarrow(address, narrow))
            return false;
        if (!helper.Usable())
            return false;
        IPAddr target = 0;
        if (!Resolve(narrow, target))
            return false;
        return helper.Echo(target);
    } catch (...) {
        return false;
    }
}
