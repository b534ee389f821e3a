#pragma once
// HTTP/1.1 as the simulated printers speak it: an incremental request parser with firm
// limits (requests come from anything on the socket) and response framing.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sim {

struct HttpRequest {
    std::string method;
    std::string target;
    std::string version;
    std::vector<std::pair<std::string, std::string>> headers; // names as sent
    std::string body;

    // The first header of that name, letter case ignored; empty when absent.
    std::string Header(std::string_view name) const;
};

struct HttpResponse {
    int status = 200;
    std::string reason = "OK";
    std::vector<std::pair<std::string, std::string>> headers; // besides the framing headers
    std::string body;
};

class HttpRequestParser {
public:
    static constexpr size_t kMaxHeadBytes = 16 * 1024;
    static constexpr size_t kMaxBodyBytes = 1024 * 1024;

    enum class State { NeedMore, Complete, Error };

    // Takes the next bytes of the stream. Bytes after a complete request stay buffered
    // for the next one (see TakeRequest).
    State Feed(const char* data, size_t size);
    State Feed(std::string_view data) { return Feed(data.data(), data.size()); }
    State CurrentState() const { return state_; }
    // Why the stream was refused (for the log).
    const std::string& Error() const { return error_; }
    // The complete request; the parser then starts on the buffered rest.
    HttpRequest TakeRequest();

private:
    State Advance();
    State Fail(std::string reason);

    std::string buffer_;
    State state_ = State::NeedMore;
    std::string error_;
    bool headDone_ = false;
    bool chunked_ = false;
    size_t bodyLength_ = 0;
    HttpRequest request_;
};

// The response bytes: status line, the response's headers, then either Content-Length
// or, when `chunked`, Transfer-Encoding: chunked with chunks of at most `chunkSize` bytes.
std::string SerializeResponse(const HttpResponse& response, bool chunked, size_t chunkSize = 1024);

// The head alone (ends with the blank line) for a body sent separately.
std::string SerializeHead(const HttpResponse& response, bool chunked);

// One chunk in chunked transfer coding; an empty `data` gives the last chunk.
std::string Chunk(std::string_view data);

// A 404 with a small HTML body, as devices answer unknown paths.
HttpResponse NotFound(const std::string& target);

} // namespace sim
