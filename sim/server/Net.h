#pragma once
// Sockets for the simulator server: owned descriptors, loopback-only binding, a stop
// signal every wait includes, and waits with deadlines so no peer can hold a thread.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "sim/Scenario.h"

namespace sim::server {

using ServerClock = std::chrono::steady_clock;

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Reset(); }

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Release();
    void Reset();

private:
    int fd_ = -1;
};

// Triggered once, seen by every thread: an eventfd that stays readable.
class StopSignal {
public:
    StopSignal();
    void Trigger();
    bool Triggered() const { return triggered_.load(); }
    int Fd() const { return event_.Get(); }

private:
    UniqueFd event_;
    std::atomic<bool> triggered_{false};
};

struct SocketAddress {
    std::string host; // dotted IPv4, always in 127.0.0.0/8
    uint16_t port = 0;

    std::string Text() const { return host + ":" + std::to_string(port); }
};

// "127.0.0.1:8199" -> address. Refuses anything outside 127.0.0.0/8.
bool ParseLoopbackEndpoint(std::string_view text, SocketAddress& out, std::string& error);
bool IsLoopbackIpv4(const std::string& host);
// Lets the listeners bind `network` as well; refused (false, `error`) unless this process
// runs in a network namespace other than the host's, so nothing ever listens on a real network.
bool PermitNamespaceNetwork(sim::NamespaceNetwork network, std::string& error);

// Listening TCP socket (SO_REUSEADDR) or bound UDP socket; invalid with `error` set on
// failure. Port 0 picks a free port; BoundPort tells which.
UniqueFd ListenTcp(const SocketAddress& where, int backlog, std::string& error);
UniqueFd BindUdp(const SocketAddress& where, std::string& error);
uint16_t BoundPort(int fd);
std::string PeerText(int fd);

enum class WaitResult { Ready, TimedOut, Stopped };

// Waits until fd shows one of `events` (or an error/hang-up), the deadline passes, or
// the stop signal fires.
WaitResult WaitFor(int fd, short events, const StopSignal& stop, ServerClock::time_point deadline);
// Sleeps for `ms` unless stopped first; false when stopped.
bool PauseUnlessStopped(const StopSignal& stop, unsigned ms);

} // namespace sim::server
