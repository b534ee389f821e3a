#pragma once
// A small HTTP/1.1 server for tests on one loopback address: a thread that answers each request
// from a table of canned answers per path and records what it received. Loopback only.
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct RecordedRequest {
    std::string method;
    std::string target; // as sent, query included
    std::string version;
    std::string head;   // request line and header lines, CR LF separated

    // The target without its query.
    std::string Path() const { return target.substr(0, target.find('?')); }
    // A header's value (name case ignored), empty when absent.
    std::string Header(const std::string& name) const;
};

class LoopbackHttpServer {
public:
    // Listens on `address`:`port`; port 0 takes a free one. See Listening().
    explicit LoopbackHttpServer(const std::string& address = "127.0.0.1", unsigned short port = 0);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // A server on port 80 of the first address from 127.0.4.<first> on that can be bound; null when none.
    static std::unique_ptr<LoopbackHttpServer> OnPort80(int first = 1);

    bool Listening() const { return listener_ != INVALID_SOCKET; }
    const std::string& Address() const { return address_; }
    unsigned short Port() const { return port_; }
    // "http://address[:port]" + target; the port is left out when it is 80.
    std::wstring Link(const std::string& target) const;
    // "address[:port]", as a host name in a link.
    std::string Host() const;

    // Answers requests for `path` (the target without query) with status, extra header lines
    // ("Name: value\r\n" each) and body; a Content-Length header is added.
    void Answer(const std::string& path, int status, const std::string& headers = "", const std::string& body = "");
    void Redirect(const std::string& path, int status, const std::string& location);
    // Writes `bytes` as the whole answer, then closes.
    void AnswerRaw(const std::string& path, std::string bytes);
    // Reads the request and never answers while the server runs.
    void Silence(const std::string& path) { Hold(path, {}); }
    // Writes `bytes` and then neither writes nor closes while the server runs.
    void Hold(const std::string& path, std::string bytes);

    std::vector<RecordedRequest> Requests() const;
    std::vector<RecordedRequest> RequestsFor(const std::string& path) const;

private:
    struct Canned {
        std::string bytes;
        bool hold = false; // keep the connection open after the bytes
    };

    void Serve();
    void HandleConnection(SOCKET client);
    bool ReadRequest(SOCKET client, RecordedRequest& request);
    Canned AnswerFor(const std::string& path) const;

    std::string address_;
    unsigned short port_ = 0;
    SOCKET listener_ = INVALID_SOCKET;
    bool winsockStarted_ = false;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::map<std::string, Canned> answers_;
    std::vector<RecordedRequest> requests_;
    std::vector<SOCKET> held_;
};
