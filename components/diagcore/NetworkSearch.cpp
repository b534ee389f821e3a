// Up to kMaxActiveHosts connections and the two SNMP sockets in one select() call.
#define FD_SETSIZE 1024
#include <winsock2.h>
#include <ws2tcpip.h>
#include <mswsock.h>

#include "components/diagcore/NetworkSearch.h"

#include <algorithm>
#include <memory>
#include <string>
#include <unordered_map>

#include "components/diagcore/ProbeMessages.h"
#include "winapi/SocketApi.h"

namespace diagcore {

namespace {

using NGWinApi::UniqueSocket;
using NGWinApi::WinsockSession;

constexpr size_t kMaxActiveHosts = 256;
// Hosts that have not answered yet are started at this pace after a first burst: a steady
// pace keeps the bursts a network's switches and neighbour (ARP) tables see small. A host
// that has answered leaves nothing pending there and frees its place at once.
constexpr ULONGLONG kHostsPerSecond = 2000;
constexpr size_t kFirstHosts = 64;
// Hosts started between two looks at the sockets: the port-unreachables of one round must
// fit the raw socket's receive buffer (about 200 KB on Linux, 1 KB or more each).
constexpr size_t kHostsPerRound = 64;
constexpr DWORD kSelectSliceMs = 10;
constexpr size_t kDatagramBuffer = 4096;
// Datagrams read from one socket per round, so a flood cannot hold the search.
constexpr int kMaxDatagramsPerRound = 1024;
constexpr int32_t kRequestIdMask = 0x3FFFFFFF;

bool SetNonBlocking(SOCKET socket)
{
    u_long nonBlocking = 1;
    return ::ioctlsocket(socket, FIONBIO, &nonBlocking) == 0;
}

// Milliseconds from `since` to `now`; a `since` taken after `now` counts as no time.
ULONGLONG Elapsed(ULONGLONG now, ULONGLONG since)
{
    return now > since ? now - since : 0;
}

sockaddr_in Endpoint(Ipv4 address, uint16_t port)
{
    sockaddr_in endpoint{};
    endpoint.sin_family = AF_INET;
    endpoint.sin_port = htons(port);
    endpoint.sin_addr.s_addr = htonl(address);
    return endpoint;
}

// A non-blocking socket bound to any local address, or none.
UniqueSocket BoundSocket(int type, int protocol)
{
    UniqueSocket socket(::socket(AF_INET, type, protocol));
    sockaddr_in any = Endpoint(INADDR_ANY, 0);
    if (socket && (!SetNonBlocking(socket.get()) ||
                   ::bind(socket.get(), reinterpret_cast<const sockaddr*>(&any), sizeof(any)) != 0))
        socket.reset();
    return socket;
}

// The search's SNMP traffic. Every request leaves from one UDP socket and each reply is
// matched to its host by request id and source address. A host without an agent answers
// with an ICMP port-unreachable, which a raw ICMP socket hears (it needs the administrator
// rights the tool runs with; root under Wine): that ends the host's SNMP probe at once.
// Without the raw socket such hosts end by the time-outs, as absent hosts do. (Under Wine
// only a connected UDP socket learns of an ICMP error, and only through SO_ERROR: a socket
// of its own per host took five socket calls per host where this takes a send and a
// receive, and there every call is a round trip to the Wine server.)
class SnmpChannel {
public:
    bool Open()
    {
        udp_ = BoundSocket(SOCK_DGRAM, IPPROTO_UDP);
        sockaddr_in local{};
        int length = sizeof(local);
        if (!udp_ || ::getsockname(udp_.get(), reinterpret_cast<sockaddr*>(&local), &length) != 0)
            return false;
        port_ = ntohs(local.sin_port);
        // Windows would report a port-unreachable as a failed receive that names no host.
        BOOL report = FALSE;
        DWORD returned = 0;
        ::WSAIoctl(udp_.get(), SIO_UDP_CONNRESET, &report, sizeof(report), nullptr, 0, &returned, nullptr, nullptr);
        icmp_ = BoundSocket(SOCK_RAW, IPPROTO_ICMP);
        return true;
    }

    void Send(Ipv4 agent, const SnmpExchange::Datagrams& requests) const
    {
        sockaddr_in to = Endpoint(agent, kSnmpPort);
        // A send that fails now is simply repeated after the time-out.
        for (const auto& request : requests)
            ::sendto(udp_.get(), reinterpret_cast<const char*>(request.data()), static_cast<int>(request.size()), 0,
                     reinterpret_cast<const sockaddr*>(&to), sizeof(to));
    }

    void AddSockets(fd_set& read) const
    {
        FD_SET(udp_.get(), &read);
        if (icmp_)
            FD_SET(icmp_.get(), &read);
    }

    // Hands replies to onReply(from, reply) and the hosts that refused to onRefused(host).
    template <class OnReply, class OnRefused>
    void Receive(const fd_set& read, const OnReply& onReply, const OnRefused& onRefused) const
    {
        char buffer[kDatagramBuffer];
        const auto* bytes = reinterpret_cast<const uint8_t*>(buffer);
        for (int count = 0; FD_ISSET(udp_.get(), &read) && count < kMaxDatagramsPerRound; ++count) {
            sockaddr_in from{};
            int fromLength = sizeof(from);
            int received = ::recvfrom(udp_.get(), buffer, sizeof(buffer), 0, reinterpret_cast<sockaddr*>(&from),
                                      &fromLength);
            if (received == SOCKET_ERROR) {
                int error = ::WSAGetLastError();
                // WSAEMSGSIZE: no reply of ours is that large; WSAECONNRESET: see Open().
                if (error == WSAEMSGSIZE || error == WSAECONNRESET)
                    continue;
                break;
            }
            if (auto reply = ReadSnmpTextReply(bytes, static_cast<size_t>(received)))
                onReply(static_cast<Ipv4>(ntohl(from.sin_addr.s_addr)), *reply);
        }
        for (int count = 0; icmp_ && FD_ISSET(icmp_.get(), &read) && count < kMaxDatagramsPerRound; ++count) {
            int received = ::recv(icmp_.get(), buffer, sizeof(buffer), 0);
            if (received == SOCKET_ERROR) {
                if (::WSAGetLastError() == WSAEMSGSIZE)
                    continue;
                break;
            }
            // The raw socket hears every ICMP message of the host: only those about our requests count.
            auto unreachable = ReadUdpUnreachable(bytes, static_cast<size_t>(received));
            if (unreachable && unreachable->sourcePort == port_ && unreachable->destinationPort == kSnmpPort)
                onRefused(unreachable->destination);
        }
    }

private:
    UniqueSocket udp_;
    UniqueSocket icmp_;
    uint16_t port_ = 0; // udp_'s
};

// One host: its SNMP exchange and the product configuration over TCP.
class HostProbe {
public:
    enum class Http { Off, Waiting, Connecting, Sending, Receiving, Done };

    HostProbe(Ipv4 address, int32_t firstRequestId, unsigned long timeoutMs)
        // The exchange repeats after T/2 and ends T/2 after its last send: a silent host is
        // done T after its probe, and a lost datagram still gets a second chance.
        : address_(address), snmp_(address, firstRequestId, std::max<unsigned long>(timeoutMs / 2, 1))
    {
    }

    void Start(long methods, ULONGLONG now, const SnmpChannel& channel)
    {
        startedAt_ = now;
        snmpRunning_ = (methods & kProbeSnmp) != 0;
        if (snmpRunning_)
            channel.Send(address_, snmp_.Start(now));
        if ((methods & kProbeSable) != 0) {
            http_ = Http::Waiting;
            if (!snmpRunning_)
                StartHttp(now);
        }
    }

    bool Done() const { return !snmpRunning_ && (http_ == Http::Off || http_ == Http::Done); }
    // Anything came back from the host, a refusal included.
    bool Heard() const { return heard_; }
    Ipv4 Address() const { return address_; }

    ProbeOutcome Outcome() const
    {
        ProbeOutcome outcome;
        outcome.description = snmp_.Description();
        outcome.identification = snmp_.Identification();
        outcome.sable = sable_;
        return outcome;
    }

    void SnmpReply(Ipv4 from, const SnmpTextReply& reply, ULONGLONG now, const SnmpChannel& channel)
    {
        if (!snmpRunning_)
            return;
        channel.Send(address_, snmp_.Received(from, reply, now));
        heard_ = heard_ || snmp_.Answered();
        snmpRunning_ = !snmp_.Done();
    }

    void SnmpRefused()
    {
        if (!snmpRunning_)
            return;
        heard_ = true;
        snmp_.Refused();
        snmpRunning_ = false;
        refused_ = true;
    }

    void AddSockets(fd_set& read, fd_set& write, fd_set& except)
    {
        polled_ = http_ == Http::Connecting || http_ == Http::Sending || http_ == Http::Receiving;
        if (http_ == Http::Connecting) {
            FD_SET(tcp_.get(), &write);
            FD_SET(tcp_.get(), &except);
        } else if (http_ == Http::Sending) {
            FD_SET(tcp_.get(), &write);
        } else if (http_ == Http::Receiving) {
            FD_SET(tcp_.get(), &read);
        }
    }

    void Handle(const fd_set& read, const fd_set& write, const fd_set& except, unsigned long timeoutMs, ULONGLONG now,
                const SnmpChannel& channel)
    {
        if (snmpRunning_) {
            channel.Send(address_, snmp_.Tick(now));
            snmpRunning_ = !snmp_.Done();
        }
        // The product configuration is asked at once of hosts whose agent answered or that
        // refused SNMP (they are up: a Sable printer may run without an agent), and of hosts
        // still silent after T/2 (an agent behind a filter, or a platform without the raw socket).
        if (http_ == Http::Waiting && (refused_ || snmp_.Answered() || Elapsed(now, startedAt_) >= timeoutMs / 2))
            StartHttp(now);
        // The sets say nothing of a socket opened after the select: a closed socket's handle
        // value may come back for it.
        if (!polled_) {
            if (http_ == Http::Connecting && ConnectOverdue(now, timeoutMs))
                EndHttp();
            return;
        }
        if (http_ == Http::Connecting) {
            if (FD_ISSET(tcp_.get(), &except)) {
                heard_ = true; // refused
                EndHttp();
            } else if (FD_ISSET(tcp_.get(), &write)) {
                Connected();
            } else if (ConnectOverdue(now, timeoutMs)) {
                EndHttp();
            }
        }
        if (http_ == Http::Sending && FD_ISSET(tcp_.get(), &write))
            SendRequest();
        if (http_ == Http::Receiving && FD_ISSET(tcp_.get(), &read))
            ReceiveHttp();
        if ((http_ == Http::Sending || http_ == Http::Receiving) && Elapsed(now, startedAt_) >= 3ull * timeoutMs)
            EndHttp();
    }

private:
    // A connection is given up T after the host's probe began, and never sooner than T/2
    // after it was started: a silent host is done by T, a host that answered late still
    // gets its chance.
    bool ConnectOverdue(ULONGLONG now, unsigned long timeoutMs) const
    {
        return Elapsed(now, startedAt_) >= timeoutMs && Elapsed(now, connectingSince_) >= timeoutMs / 2;
    }

    void StartHttp(ULONGLONG now)
    {
        polled_ = false;
        connectingSince_ = now;
        tcp_.reset(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        if (!tcp_ || !SetNonBlocking(tcp_.get())) {
            EndHttp();
            return;
        }
        sockaddr_in printer = Endpoint(address_, kSablePort);
        request_ = HttpGetRequest(FormatIpv4(address_), kSablePort, kProductConfigPath);
        if (::connect(tcp_.get(), reinterpret_cast<const sockaddr*>(&printer), sizeof(printer)) == 0) {
            Connected();
        } else if (::WSAGetLastError() == WSAEWOULDBLOCK) {
            http_ = Http::Connecting;
        } else {
            EndHttp();
        }
    }

    void Connected()
    {
        heard_ = true;
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
                sable_ = ReadProductConfig(reader_.Body());
            EndHttp();
            return;
        }
    }

    void EndHttp()
    {
        polled_ = false;
        tcp_.reset();
        http_ = Http::Done;
    }

    Ipv4 address_;
    ULONGLONG startedAt_ = 0;
    bool heard_ = false;

    SnmpExchange snmp_;
    bool snmpRunning_ = false;
    bool refused_ = false;

    UniqueSocket tcp_;
    bool polled_ = false; // tcp_ was in the sets of the last select
    Http http_ = Http::Off;
    ULONGLONG connectingSince_ = 0;
    std::string request_;
    size_t sent_ = 0;
    HttpResponseReader reader_;
    std::optional<SableProduct> sable_;
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
    SnmpChannel channel;
    const size_t total = plan.hosts.size();
    size_t next = 0;
    size_t finished = 0;
    size_t settled = 0; // started hosts that have answered or ended
    long reported = -1;
    // Host i asks with the request ids from firstRequestId + i * kRequestIds on. They differ
    // from one search to the next, so a late reply to an earlier search never counts.
    const auto firstRequestId =
        static_cast<int32_t>((::GetTickCount() ^ (::GetCurrentThreadId() << 16)) & kRequestIdMask);
    std::vector<std::unique_ptr<HostProbe>> probes(total); // by index in the plan, while active
    std::vector<size_t> active;
    std::unordered_map<Ipv4, HostProbe*> byAddress;

    auto report = [&] {
        long percent = total == 0 ? 100 : static_cast<long>(finished * 100 / total);
        if (percent > reported) {
            reported = percent;
            progress(percent);
        }
    };
    auto onReply = [&](Ipv4 from, const SnmpTextReply& reply) {
        uint32_t offset = (static_cast<uint32_t>(reply.requestId) - static_cast<uint32_t>(firstRequestId)) &
                          static_cast<uint32_t>(kRequestIdMask);
        size_t index = offset / SnmpExchange::kRequestIds;
        if (index < total && probes[index])
            probes[index]->SnmpReply(from, reply, ::GetTickCount64(), channel);
    };
    auto onRefused = [&](Ipv4 host) {
        if (auto entry = byAddress.find(host); entry != byAddress.end())
            entry->second->SnmpRefused();
    };

    const bool ready = winsock.ok() && channel.Open();
    const ULONGLONG begin = ::GetTickCount64();
    while (ready && finished < total && !cancel) {
        ULONGLONG now = ::GetTickCount64();
        size_t paced = kFirstHosts + settled + static_cast<size_t>((now - begin) * kHostsPerSecond / 1000);
        for (size_t started = 0;
             started < kHostsPerRound && active.size() < kMaxActiveHosts && next < total && next < paced; ++started) {
            size_t index = next++;
            Ipv4 address = plan.hosts[index];
            if (!Permitted(plan, address)) {
                ++finished;
                ++settled;
                continue;
            }
            auto firstId = static_cast<int32_t>(
                (firstRequestId + SnmpExchange::kRequestIds * static_cast<int32_t>(index)) & kRequestIdMask);
            probes[index] = std::make_unique<HostProbe>(address, firstId, plan.probeTimeoutMs);
            byAddress[address] = probes[index].get();
            active.push_back(index);
            probes[index]->Start(plan.probeMethods, now, channel);
        }
        // While more hosts may start, only look at what has come back.
        bool moreNow = active.size() < kMaxActiveHosts && next < total && next < paced;

        fd_set read;
        fd_set write;
        fd_set except;
        FD_ZERO(&read);
        FD_ZERO(&write);
        FD_ZERO(&except);
        channel.AddSockets(read);
        for (size_t index : active)
            probes[index]->AddSockets(read, write, except);
        timeval slice{0, moreNow ? 0 : static_cast<long>(kSelectSliceMs * 1000)};
        if (::select(0, &read, &write, &except, &slice) == SOCKET_ERROR) {
            FD_ZERO(&read);
            FD_ZERO(&write);
            FD_ZERO(&except);
            ::Sleep(kSelectSliceMs);
        }

        std::vector<bool> heardBefore;
        for (size_t index : active)
            heardBefore.push_back(probes[index]->Heard());
        channel.Receive(read, onReply, onRefused);
        now = ::GetTickCount64();
        for (size_t at = 0; at < active.size(); ++at) {
            HostProbe& host = *probes[active[at]];
            host.Handle(read, write, except, plan.probeTimeoutMs, now, channel);
            if (!heardBefore[at] && host.Heard())
                ++settled;
            if (!host.Done())
                continue;
            if (!host.Heard())
                ++settled;
            if (auto printer = ClassifyProbe(host.Outcome()))
                found.emplace_back(host.Address(), RecordOf(host.Address(), *printer));
            byAddress.erase(host.Address());
            probes[active[at]].reset();
            ++finished;
        }
        std::erase_if(active, [&](size_t index) { return !probes[index]; });
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
