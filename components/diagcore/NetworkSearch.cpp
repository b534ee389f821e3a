// Up to kMaxActiveHosts hosts hold three sockets each in one select() call.
#define FD_SETSIZE 1024
#include <winsock2.h>
#include <ws2tcpip.h>

#include "components/diagcore/NetworkSearch.h"

#include <algorithm>
#include <memory>
#include <string>

#include "components/diagcore/ProbeMessages.h"
#include "winapi/SocketApi.h"

namespace diagcore {

namespace {

using NGWinApi::UniqueSocket;
using NGWinApi::WinsockSession;

constexpr size_t kMaxActiveHosts = 256;
// New hosts per second, after a first burst: a steady pace keeps the bursts a network's
// switches and the neighbour (ARP) tables see small.
constexpr ULONGLONG kHostsPerSecond = 2000;
constexpr size_t kFirstHosts = 64;
constexpr int kSnmpSends = 2;
constexpr DWORD kSelectSliceMs = 10;
constexpr size_t kDatagramBuffer = 4096;

// A non-blocking socket, or none.
SOCKET OpenSocket(int type, int protocol)
{
    SOCKET handle = ::socket(AF_INET, type, protocol);
    if (handle == INVALID_SOCKET)
        return handle;
    u_long nonBlocking = 1;
    if (::ioctlsocket(handle, FIONBIO, &nonBlocking) != 0) {
        ::closesocket(handle);
        return INVALID_SOCKET;
    }
    return handle;
}

// Milliseconds from `since` to `now`; a `since` taken after `now` counts as no time.
ULONGLONG Elapsed(ULONGLONG now, ULONGLONG since)
{
    return now > since ? now - since : 0;
}

// The socket's pending error (SO_ERROR), which reading it clears.
int SocketError(SOCKET socket)
{
    int error = 0;
    int length = sizeof(error);
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0)
        return ::WSAGetLastError();
    return error;
}

sockaddr_in Endpoint(Ipv4 address, uint16_t port)
{
    sockaddr_in endpoint{};
    endpoint.sin_family = AF_INET;
    endpoint.sin_port = htons(port);
    endpoint.sin_addr.s_addr = htonl(address);
    return endpoint;
}

class HostProbe {
public:
    enum class Http { Off, Connecting, Sending, Receiving, Done };

    HostProbe(Ipv4 address, int32_t firstRequestId) : address_(address)
    {
        requestIds_[0] = firstRequestId;
        requestIds_[1] = firstRequestId + 1;
    }

    void Start(long methods, ULONGLONG now)
    {
        startedAt_ = now;
        if ((methods & kProbeSnmp) != 0)
            StartSnmp(now);
        if ((methods & kProbeSable) != 0)
            StartHttp();
    }

    bool Done() const { return !snmp_ && (http_ == Http::Off || http_ == Http::Done); }
    Ipv4 Address() const { return address_; }
    const ProbeOutcome& Outcome() const { return outcome_; }

    void AddSockets(fd_set& read, fd_set& write, fd_set& except, bool& any) const
    {
        for (const UniqueSocket& socket : udp_) {
            if (socket) {
                FD_SET(socket.get(), &read);
                FD_SET(socket.get(), &except);
                any = true;
            }
        }
        if (http_ == Http::Connecting) {
            FD_SET(tcp_.get(), &write);
            FD_SET(tcp_.get(), &except);
            any = true;
        } else if (http_ == Http::Sending) {
            FD_SET(tcp_.get(), &write);
            any = true;
        } else if (http_ == Http::Receiving) {
            FD_SET(tcp_.get(), &read);
            any = true;
        }
    }

    void Handle(const fd_set& read, const fd_set& write, const fd_set& except, unsigned long timeoutMs, ULONGLONG now)
    {
        for (int which = 0; which < 2 && snmp_; ++which) {
            if (!udp_[which])
                continue;
            // An ICMP port-unreachable: Windows makes the socket readable and the read fails;
            // Wine leaves the error in SO_ERROR and tells select() only about a second later,
            // so the connected socket's error is looked at every round while it waits.
            bool unreachable = which == 0 && connected_ && asked_[0] && !answered_[0];
            if ((unreachable || FD_ISSET(udp_[which].get(), &except)) && SocketError(udp_[which].get()) != 0)
                EndSnmp();
            else if (FD_ISSET(udp_[which].get(), &read))
                ReceiveSnmp(which);
        }
        if (snmp_ && Elapsed(now, snmpSentAt_) >= timeoutMs) {
            if (snmpSends_ < kSnmpSends) {
                SendSnmp(now);
            } else {
                EndSnmp();
            }
        }
        if (http_ == Http::Connecting) {
            if (FD_ISSET(tcp_.get(), &except))
                EndHttp();
            else if (FD_ISSET(tcp_.get(), &write))
                Connected();
            else if (Elapsed(now, startedAt_) >= timeoutMs)
                EndHttp();
        }
        if (http_ == Http::Sending && FD_ISSET(tcp_.get(), &write))
            SendRequest();
        if (http_ == Http::Receiving && FD_ISSET(tcp_.get(), &read))
            ReceiveHttp();
        if ((http_ == Http::Sending || http_ == Http::Receiving) && Elapsed(now, startedAt_) >= 3ull * timeoutMs)
            EndHttp();
    }

private:
    // The description is asked first, through a socket connected to the host: Wine reports an
    // ICMP port-unreachable only to connected sockets, and it ends the probe of a host without
    // an agent at once, after one datagram. Once an agent has answered (or after the time-out)
    // the identification follows through an unconnected socket whose replies count whatever
    // their source address. A reply to either request may arrive on either socket.
    void StartSnmp(ULONGLONG now)
    {
        sockaddr_in agent = Endpoint(address_, kSnmpPort);
        for (UniqueSocket& socket : udp_)
            socket.reset(OpenSocket(SOCK_DGRAM, IPPROTO_UDP));
        if (!udp_[0] || !udp_[1]) {
            EndSnmp();
            return;
        }
        connected_ = ::connect(udp_[0].get(), reinterpret_cast<const sockaddr*>(&agent), sizeof(agent)) == 0;
        // select() refuses a datagram socket that is not bound yet.
        sockaddr_in any = Endpoint(INADDR_ANY, 0);
        if (::bind(udp_[1].get(), reinterpret_cast<const sockaddr*>(&any), sizeof(any)) != 0) {
            EndSnmp();
            return;
        }
        snmp_ = true;
        SendSnmp(now, 1);
    }

    // Sends the unanswered requests among the first `count` (description, identification).
    void SendSnmp(ULONGLONG now, int count = 2)
    {
        static const char* const kOids[] = {kDescriptionOid, kIdentificationOid};
        sockaddr_in agent = Endpoint(address_, kSnmpPort);
        for (int which = 0; which < count; ++which) {
            if (answered_[which])
                continue;
            asked_[which] = true;
            std::vector<uint8_t> request = SnmpGetRequest(requestIds_[which], kOids[which]);
            const auto* bytes = reinterpret_cast<const char*>(request.data());
            int size = static_cast<int>(request.size());
            // A send that fails now is simply repeated after the time-out.
            if (which == 0 && connected_)
                ::send(udp_[0].get(), bytes, size, 0);
            else
                ::sendto(udp_[which].get(), bytes, size, 0, reinterpret_cast<const sockaddr*>(&agent), sizeof(agent));
        }
        ++snmpSends_;
        snmpSentAt_ = now;
    }

    void ReceiveSnmp(int socket)
    {
        char buffer[kDatagramBuffer];
        while (snmp_) {
            sockaddr_in from{};
            int fromLength = sizeof(from);
            int received = ::recvfrom(udp_[socket].get(), buffer, sizeof(buffer), 0, reinterpret_cast<sockaddr*>(&from),
                                      &fromLength);
            if (received == SOCKET_ERROR) {
                int error = ::WSAGetLastError();
                if (error == WSAEWOULDBLOCK)
                    return;
                if (error == WSAEMSGSIZE)
                    continue; // no reply of ours is that large
                // WSAECONNRESET: the host reported the port unreachable; no agent there.
                EndSnmp();
                return;
            }
            auto reply = ReadSnmpTextReply(reinterpret_cast<const uint8_t*>(buffer), static_cast<size_t>(received));
            if (!reply)
                continue;
            for (int which = 0; which < 2; ++which) {
                if (reply->requestId != requestIds_[which] || answered_[which])
                    continue;
                answered_[which] = true;
                (which == 0 ? outcome_.description : outcome_.identification) = reply->text;
            }
            if (answered_[0] && answered_[1]) {
                EndSnmp();
            } else if (answered_[0] && !asked_[1]) {
                SendSnmp(::GetTickCount64());
            }
        }
    }

    void EndSnmp()
    {
        for (UniqueSocket& socket : udp_)
            socket.reset();
        snmp_ = false;
    }

    void StartHttp()
    {
        tcp_.reset(OpenSocket(SOCK_STREAM, IPPROTO_TCP));
        if (!tcp_) {
            http_ = Http::Done;
            return;
        }
        sockaddr_in printer = Endpoint(address_, kSablePort);
        request_ = HttpGetRequest(FormatIpv4(address_), kSablePort, kProductConfigPath);
        if (::connect(tcp_.get(), reinterpret_cast<const sockaddr*>(&printer), sizeof(printer)) == 0) {
            http_ = Http::Sending;
            SendRequest();
        } else if (::WSAGetLastError() == WSAEWOULDBLOCK) {
            http_ = Http::Connecting;
        } else {
            EndHttp();
        }
    }

    void Connected()
    {
        if (SocketError(tcp_.get()) != 0) {
            EndHttp();
            return;
        }
        http_ = Http::Sending;
        SendRequest();
    }

    void SendRequest()
    {
        while (sent_ < request_.size()) {
            int count = ::send(tcp_.get(), request_.data() + sent_, static_cast<int>(request_.size() - sent_), 0);
            if (count == SOCKET_ERROR) {
                if (::WSAGetLastError() != WSAEWOULDBLOCK)
                    EndHttp();
                return;
            }
            sent_ += static_cast<size_t>(count);
        }
        http_ = Http::Receiving;
    }

    void ReceiveHttp()
    {
        char buffer[8192];
        for (;;) {
            int count = ::recv(tcp_.get(), buffer, sizeof(buffer), 0);
            HttpResponseReader::State state;
            if (count > 0) {
                state = reader_.Feed(std::string_view(buffer, static_cast<size_t>(count)));
            } else if (count == SOCKET_ERROR && ::WSAGetLastError() == WSAEWOULDBLOCK) {
                return;
            } else {
                state = reader_.Closed();
            }
            if (state == HttpResponseReader::State::NeedMore)
                continue;
            if (state == HttpResponseReader::State::Complete && reader_.Status() == 200)
                outcome_.sable = ReadProductConfig(reader_.Body());
            EndHttp();
            return;
        }
    }

    void EndHttp()
    {
        tcp_.reset();
        http_ = Http::Done;
    }

    Ipv4 address_;
    ULONGLONG startedAt_ = 0;
    ProbeOutcome outcome_;

    bool snmp_ = false; // an SNMP probe is under way
    UniqueSocket udp_[2];  // [0] connected to the agent (description), [1] not (identification)
    bool connected_ = false;
    int32_t requestIds_[2] = {};
    bool asked_[2] = {false, false};
    bool answered_[2] = {false, false};
    int snmpSends_ = 0;
    ULONGLONG snmpSentAt_ = 0;

    UniqueSocket tcp_;
    Http http_ = Http::Off;
    std::string request_;
    size_t sent_ = 0;
    HttpResponseReader reader_;
};

bool Permitted(const SearchPlan& plan, Ipv4 address)
{
    if (!plan.allowed)
        return true;
    return std::any_of(plan.allowed->begin(), plan.allowed->end(),
                       [&](const Ipv4Network& network) { return network.Contains(address); });
}

DeviceRecord RecordOf(Ipv4 address, const FoundPrinter& printer)
{
    DeviceRecord record;
    record.connectionType = kConnectionNetwork;
    record.ipAddress = WidenDeviceText(FormatIpv4(address));
    record.name = printer.name;
    record.friendlyName = printer.name;
    record.productName = printer.productName;
    record.manufacturer = printer.manufacturer;
    record.serialNumber = printer.serialNumber;
    record.flags = printer.flags;
    return record;
}

} // namespace

std::vector<DeviceRecord> RunNetworkSearch(const SearchPlan& plan, const std::function<void(long)>& progress,
                                           const std::atomic<bool>& cancel)
{
    std::vector<std::pair<Ipv4, DeviceRecord>> found;
    WinsockSession winsock;
    const size_t total = plan.hosts.size();
    size_t next = 0;
    size_t finished = 0;
    long reported = -1;
    // Request ids differ from one search to the next, so a late reply to an earlier search
    // never counts.
    auto requestId = static_cast<int32_t>((::GetTickCount() ^ (::GetCurrentThreadId() << 16)) & 0x3FFFFFFF);
    std::vector<std::unique_ptr<HostProbe>> active;

    auto report = [&] {
        long percent = total == 0 ? 100 : static_cast<long>(finished * 100 / total);
        if (percent > reported) {
            reported = percent;
            progress(percent);
        }
    };

    const ULONGLONG begin = ::GetTickCount64();
    while (winsock.ok() && finished < total && !cancel) {
        ULONGLONG now = ::GetTickCount64();
        size_t paced = kFirstHosts + static_cast<size_t>((now - begin) * kHostsPerSecond / 1000);
        while (active.size() < kMaxActiveHosts && next < total && next < paced) {
            Ipv4 address = plan.hosts[next++];
            if (!Permitted(plan, address)) {
                ++finished;
                continue;
            }
            active.push_back(std::make_unique<HostProbe>(address, requestId));
            requestId = (requestId + 2) & 0x3FFFFFFF;
            active.back()->Start(plan.probeMethods, now);
        }

        fd_set read;
        fd_set write;
        fd_set except;
        FD_ZERO(&read);
        FD_ZERO(&write);
        FD_ZERO(&except);
        bool any = false;
        for (const auto& host : active)
            host->AddSockets(read, write, except, any);
        timeval slice{0, static_cast<long>(kSelectSliceMs * 1000)};
        // With nothing to wait for, wait for the pace to allow the next host.
        if (!any || ::select(0, &read, &write, &except, &slice) == SOCKET_ERROR) {
            FD_ZERO(&read);
            FD_ZERO(&write);
            FD_ZERO(&except);
            ::Sleep(any ? kSelectSliceMs : 1);
        }

        now = ::GetTickCount64();
        for (auto& host : active) {
            host->Handle(read, write, except, plan.probeTimeoutMs, now);
            if (!host->Done())
                continue;
            if (auto printer = ClassifyProbe(host->Outcome()))
                found.emplace_back(host->Address(), RecordOf(host->Address(), *printer));
            host.reset();
            ++finished;
        }
        active.erase(std::remove(active.begin(), active.end(), nullptr), active.end());
        report();
    }
    if (!cancel) {
        finished = total;
        report();
    }

    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<DeviceRecord> records;
    for (auto& [address, record] : found)
        records.push_back(std::move(record));
    return records;
}

} // namespace diagcore
