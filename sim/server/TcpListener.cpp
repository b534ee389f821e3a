#include "sim/server/TcpListener.h"

#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include "sim/server/Log.h"

namespace sim::server {

Connection::Connection(UniqueFd fd, const StopSignal& stop, const ServerLimits& limits, uint64_t sequence)
    : fd_(std::move(fd)), stop_(stop), limits_(limits), peer_(PeerText(fd_.Get())), sequence_(sequence)
{
}

ServerClock::time_point Connection::IdleDeadline() const
{
    return ServerClock::now() + std::chrono::milliseconds(limits_.ioTimeoutMs);
}

size_t Connection::Read(char* buffer, size_t size, ServerClock::time_point deadline, ReadEnd& end)
{
    for (;;) {
        WaitResult waited = WaitFor(fd_.Get(), POLLIN, stop_, deadline);
        if (waited != WaitResult::Ready) {
            end = waited == WaitResult::Stopped ? ReadEnd::Stopped : ReadEnd::TimedOut;
            return 0;
        }
        ssize_t count = recv(fd_.Get(), buffer, size, MSG_DONTWAIT);
        if (count > 0)
            return static_cast<size_t>(count);
        if (count < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        end = ReadEnd::Closed;
        return 0;
    }
}

bool Connection::Send(std::string_view bytes)
{
    while (!bytes.empty()) {
        if (stop_.Triggered())
            return false;
        ssize_t count = send(fd_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (count > 0) {
            bytes.remove_prefix(static_cast<size_t>(count));
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && errno != EAGAIN)
            return false;
        if (WaitFor(fd_.Get(), POLLOUT, stop_, IdleDeadline()) != WaitResult::Ready)
            return false;
    }
    return true;
}

void Connection::HoldOpen(bool drain)
{
    if (!drain) {
        // POLLRDHUP reports the peer's close without taking any byte off the socket.
        WaitFor(fd_.Get(), POLLRDHUP, stop_, ServerClock::time_point::max());
        return;
    }
    char sink[4096];
    ReadEnd end{};
    while (Read(sink, sizeof sink, ServerClock::time_point::max(), end) > 0) {
    }
}

void Connection::LingeringClose()
{
    shutdown(fd_.Get(), SHUT_WR);
    char sink[4096];
    ReadEnd end{};
    auto deadline = ServerClock::now() + std::chrono::milliseconds(500);
    while (Read(sink, sizeof sink, deadline, end) > 0) {
    }
}

TcpListener::TcpListener(std::string label, SocketAddress where, Handler handler, const StopSignal& stop,
                         ServerLimits limits, Wanted wanted)
    : label_(std::move(label)), where_(std::move(where)), handler_(std::move(handler)), stop_(stop),
      limits_(limits), wanted_(std::move(wanted)), wake_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

TcpListener::~TcpListener()
{
    if (acceptThread_.joinable())
        acceptThread_.join();
    for (Worker& worker : workers_)
        worker.thread.join();
}

bool TcpListener::Open(std::string& error)
{
    if (wanted_ && !wanted_())
        return true;
    listenFd_ = ListenTcp(where_, 64, error);
    if (!listenFd_.Valid())
        return false;
    where_.port = BoundPort(listenFd_.Get());
    return true;
}

void TcpListener::Start()
{
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

void TcpListener::Refresh()
{
    std::unique_lock lock(refreshMutex_);
    uint64_t ticket = ++refreshRequested_;
    uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(wake_.Get(), &one, sizeof one);
    // Bounded: after a stop nobody answers.
    refreshed_.wait_for(lock, std::chrono::seconds(2), [&] { return refreshDone_ >= ticket || stop_.Triggered(); });
}

void TcpListener::ApplyWanted()
{
    bool wanted = !wanted_ || wanted_();
    if (wanted && !listenFd_.Valid()) {
        std::string error;
        listenFd_ = ListenTcp(where_, 64, error);
        LogLine("[" + label_ + "] " + (listenFd_.Valid() ? "listening again" : "cannot listen: " + error));
    } else if (!wanted && listenFd_.Valid()) {
        listenFd_.Reset();
        LogLine("[" + label_ + "] stopped listening (connections are refused)");
    }
}

void TcpListener::AcceptLoop()
{
    while (!stop_.Triggered()) {
        pollfd fds[3] = {{stop_.Fd(), POLLIN, 0}, {wake_.Get(), POLLIN, 0}, {listenFd_.Get(), POLLIN, 0}};
        int count = poll(fds, listenFd_.Valid() ? 3 : 2, -1);
        if (count < 0 && errno != EINTR)
            break;
        if (fds[0].revents != 0)
            break;
        if (fds[1].revents != 0) {
            uint64_t value = 0;
            [[maybe_unused]] ssize_t got = read(wake_.Get(), &value, sizeof value);
            std::lock_guard lock(refreshMutex_);
            ApplyWanted();
            refreshDone_ = refreshRequested_;
            refreshed_.notify_all();
            continue;
        }
        if (listenFd_.Valid() && fds[2].revents != 0)
            AcceptOne();
        ReapFinished();
    }
}

void TcpListener::AcceptOne()
{
    UniqueFd client(accept4(listenFd_.Get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!client.Valid())
        return;
    ReapFinished();
    if (workers_.size() >= limits_.maxConnections) {
        LogLine("[" + label_ + "] " + PeerText(client.Get()) + " refused: " +
                std::to_string(limits_.maxConnections) + " connections already open");
        return;
    }
    auto finished = std::make_shared<std::atomic<bool>>(false);
    auto connection = std::make_shared<Connection>(std::move(client), stop_, limits_, accepted_++);
    std::thread thread([this, connection, finished] {
        try {
            handler_(*connection);
        } catch (const std::exception& error) {
            LogLine("[" + label_ + "] " + connection->Peer() + " handler failed: " + error.what());
        }
        *finished = true;
    });
    workers_.push_back({std::move(thread), finished});
}

void TcpListener::ReapFinished()
{
    for (auto it = workers_.begin(); it != workers_.end();) {
        if (*it->finished) {
            it->thread.join();
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace sim::server
