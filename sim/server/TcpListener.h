#pragma once
// A TCP listener with a thread per connection, bounded, and the connection those threads
// talk through: every read and write has a deadline and gives up when the server stops.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "sim/server/Net.h"

namespace sim::server {

struct ServerLimits {
    unsigned ioTimeoutMs = 10'000; // idle time, and the time one request may take to arrive
    unsigned maxConnections = 32;  // per listener; more are closed at once
};

class Connection {
public:
    Connection(UniqueFd fd, const StopSignal& stop, const ServerLimits& limits, uint64_t sequence = 0);

    const std::string& Peer() const { return peer_; }
    // Counts the listener's connections in the order they were accepted, from 0.
    uint64_t Sequence() const { return sequence_; }
    ServerClock::time_point IdleDeadline() const;

    enum class ReadEnd { Closed, TimedOut, Stopped };
    // Bytes read (> 0), or 0 with `end` saying why nothing came.
    size_t Read(char* buffer, size_t size, ServerClock::time_point deadline, ReadEnd& end);
    // False when the peer is gone, takes nothing for the I/O time-out, or the server stops.
    bool Send(std::string_view bytes);
    // False when the server stopped during the pause.
    bool Pause(unsigned ms) { return PauseUnlessStopped(stop_, ms); }
    const StopSignal& Stopper() const { return stop_; }
    // Keeps the connection open without answering until the peer closes or the server
    // stops; `drain` reads and drops what arrives, otherwise nothing is taken off the socket.
    void HoldOpen(bool drain);
    // Ends our side and drops what the peer still sends for a moment, so a refusal sent
    // while the peer is still writing is read rather than lost to a reset.
    void LingeringClose();

private:
    UniqueFd fd_;
    const StopSignal& stop_;
    ServerLimits limits_;
    std::string peer_;
    uint64_t sequence_;
};

class TcpListener {
public:
    using Handler = std::function<void(Connection&)>;
    // Whether the listener should accept right now (a raw sink told to refuse does not).
    using Wanted = std::function<bool()>;

    TcpListener(std::string label, SocketAddress where, Handler handler, const StopSignal& stop,
                ServerLimits limits, Wanted wanted = {});
    // Joins every thread; they end once the stop signal has fired.
    ~TcpListener();
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    // Binds now (unless unwanted); a port of 0 becomes the port the system chose.
    bool Open(std::string& error);
    void Start();
    // Re-evaluates Wanted and opens or closes the socket before returning.
    void Refresh();

    const std::string& Label() const { return label_; }
    const SocketAddress& Address() const { return where_; }

private:
    void AcceptLoop();
    void AcceptOne();
    void ApplyWanted();
    void ReapFinished();

    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> finished;
    };

    std::string label_;
    SocketAddress where_;
    Handler handler_;
    const StopSignal& stop_;
    ServerLimits limits_;
    Wanted wanted_;

    UniqueFd listenFd_; // owned by the accept thread once started
    UniqueFd wake_;
    std::mutex refreshMutex_;
    std::condition_variable refreshed_;
    uint64_t refreshRequested_ = 0;
    uint64_t refreshDone_ = 0;

    std::list<Worker> workers_; // accept thread only
    uint64_t accepted_ = 0;     // accept thread only
    std::thread acceptThread_;
};

} // namespace sim::server
