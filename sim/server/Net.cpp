#include "sim/server/Net.h"

#include <arpa/inet.h>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sim::server {
namespace {

// Set once before any listener opens: see PermitNamespaceNetwork.
sim::NamespaceNetwork g_namespaceNetwork;

bool ToSockaddr(const SocketAddress& where, sockaddr_in& out, std::string& error)
{
    out = {};
    out.sin_family = AF_INET;
    out.sin_port = htons(where.port);
    if (inet_pton(AF_INET, where.host.c_str(), &out.sin_addr) != 1) {
        error = where.host + " is not an IPv4 address";
        return false;
    }
    // Binding policy: the simulator never listens anywhere but loopback, or the network of a
    // namespace of its own.
    const uint32_t host = ntohl(out.sin_addr.s_addr);
    const bool inNamespace = g_namespaceNetwork.mask != 0 && (host & g_namespaceNetwork.mask) == g_namespaceNetwork.network;
    if ((host >> 24) != 127 && !inNamespace) {
        error = where.host + " is not a loopback address (127.0.0.0/8)";
        return false;
    }
    return true;
}

std::string SystemError(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

UniqueFd BoundSocket(const SocketAddress& where, int type, std::string& error)
{
    sockaddr_in address{};
    if (!ToSockaddr(where, address, error))
        return {};
    UniqueFd fd(socket(AF_INET, type | SOCK_CLOEXEC, 0));
    if (!fd.Valid()) {
        error = SystemError("socket");
        return {};
    }
    int on = 1;
    setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = SystemError("bind " + where.Text());
        return {};
    }
    return fd;
}

} // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept
{
    if (this != &other) {
        Reset();
        fd_ = other.Release();
    }
    return *this;
}

int UniqueFd::Release()
{
    int fd = fd_;
    fd_ = -1;
    return fd;
}

void UniqueFd::Reset()
{
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
}

StopSignal::StopSignal() : event_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void StopSignal::Trigger()
{
    if (triggered_.exchange(true))
        return;
    uint64_t one = 1;
    // Never read back, so it stays readable for every poll that includes it.
    [[maybe_unused]] ssize_t written = write(event_.Get(), &one, sizeof one);
}

bool InOwnNetworkNamespace()
{
    // A namespace `ip netns add` made is pinned under /run/netns: the process must be in one of
    // those (init's namespace cannot be read from inside a container, so it is no reference).
    struct stat own{};
    if (stat("/proc/self/ns/net", &own) != 0)
        return false;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/run/netns", error)) {
        struct stat named{};
        if (stat(entry.path().c_str(), &named) == 0 && named.st_dev == own.st_dev && named.st_ino == own.st_ino)
            return true;
    }
    return false;
}

bool PermitNamespaceNetwork(sim::NamespaceNetwork network, std::string& error)
{
    if (!InOwnNetworkNamespace()) {
        error = "a namespace network is only permitted inside a network namespace of its own";
        return false;
    }
    g_namespaceNetwork = network;
    return true;
}

bool IsLoopbackIpv4(const std::string& host)
{
    in_addr address{};
    return inet_pton(AF_INET, host.c_str(), &address) == 1 && (ntohl(address.s_addr) >> 24) == 127;
}

bool ParseLoopbackEndpoint(std::string_view text, SocketAddress& out, std::string& error)
{
    size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) {
        error = "'" + std::string(text) + "' is not HOST:PORT";
        return false;
    }
    std::string host(text.substr(0, colon));
    std::string_view portText = text.substr(colon + 1);
    unsigned port = 0;
    auto parsed = std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (portText.empty() || parsed.ec != std::errc() || parsed.ptr != portText.data() + portText.size() ||
        port > 65535) {
        error = "'" + std::string(text) + "' has no valid port";
        return false;
    }
    if (!IsLoopbackIpv4(host)) {
        error = "'" + host + "' is not a loopback IPv4 address (127.0.0.0/8)";
        return false;
    }
    out.host = host;
    out.port = static_cast<uint16_t>(port);
    return true;
}

UniqueFd ListenTcp(const SocketAddress& where, int backlog, std::string& error)
{
    UniqueFd fd = BoundSocket(where, SOCK_STREAM, error);
    if (fd.Valid() && listen(fd.Get(), backlog) != 0) {
        error = SystemError("listen " + where.Text());
        return {};
    }
    return fd;
}

UniqueFd BindUdp(const SocketAddress& where, std::string& error)
{
    return BoundSocket(where, SOCK_DGRAM, error);
}

uint16_t BoundPort(int fd)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

std::string PeerText(int fd)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return "?";
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}

WaitResult WaitFor(int fd, short events, const StopSignal& stop, ServerClock::time_point deadline)
{
    for (;;) {
        if (stop.Triggered())
            return WaitResult::Stopped;
        int timeoutMs = -1;
        if (deadline != ServerClock::time_point::max()) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - ServerClock::now()).count();
            if (left <= 0)
                return WaitResult::TimedOut;
            timeoutMs = static_cast<int>(std::min<long long>(left, 60'000));
        }
        pollfd fds[2] = {{stop.Fd(), POLLIN, 0}, {fd, events, 0}};
        int count = poll(fds, fd >= 0 ? 2 : 1, timeoutMs);
        if (count < 0 && errno != EINTR)
            return WaitResult::Stopped;
        if (fds[0].revents != 0)
            return WaitResult::Stopped;
        if (count > 0 && fds[1].revents != 0)
            return WaitResult::Ready;
    }
}

bool PauseUnlessStopped(const StopSignal& stop, unsigned ms)
{
    if (ms == 0)
        return !stop.Triggered();
    return WaitFor(-1, 0, stop, ServerClock::now() + std::chrono::milliseconds(ms)) == WaitResult::TimedOut;
}

} // namespace sim::server
