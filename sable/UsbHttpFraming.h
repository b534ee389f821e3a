#pragma once
// The HTTP/1.1 framing the Sable channel writes and reads by hand on a USB device interface:
// the request bytes, the response head gathered across reads, its verdict, and chunked bodies.
// Plain C++ without system headers.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sable {

// "GET <path> HTTP/1.1\r\nHOST: \r\n\r\n"; each UTF-16 unit of the path gives its low byte.
std::string BuildGetRequest(std::wstring_view resourcePath);

// Collects the response head across reads. Bytes before the response that hold no "HTTP"
// are noise and are forgotten.
class ResponseHeadAccumulator {
public:
    // Adds one read block (up to its first zero byte). True once the blank line has arrived.
    bool Add(std::string_view block);
    bool Complete() const { return blankLine_ != std::string::npos; }
    // The head up to and including the blank line.
    std::string Head() const;
    // What followed the blank line: the first part of the body.
    std::string Leftover() const;

private:
    std::string text_;
    size_t blankLine_ = std::string::npos;
};

struct HeadVerdict {
    bool hasHttp11 = false;
    // > 0: the first non-zero "Content-Length"; -1: a 200 answer to read as chunked;
    // 0: no "HTTP/1.1", a status line that is not three words, or a status other than 200.
    int32_t contentLength = 0;
};

HeadVerdict ParseResponseHead(std::string_view head);

// Decodes a chunked body fed one read at a time. Data after a chunk's end within the same
// read, and bytes that came with the head, are decoded too.
class ChunkDecoder {
public:
    struct Result {
        std::string data; // body bytes to write
        bool finished = false;
    };

    // Bytes that arrived together with the head: a size line may continue in the next read.
    Result AddLeftover(std::string_view bytes) { return Add(bytes, true); }
    // One device read. A size line expected but without its line end here ends the body.
    Result AddRead(std::string_view bytes) { return Add(bytes, false); }

private:
    Result Add(std::string_view bytes, bool mayContinue);

    std::string pending_;     // an unfinished size line, carried only from the leftover
    uint64_t chunkLeft_ = 0;
    bool expectSizeLine_ = true;
    bool skipChunkEnd_ = false; // the CRLF that closes a chunk may follow its data
    bool finished_ = false;
};

// Standard base-16 conversion at the start of `text`: white space skipped, stops at the first
// character that is no hexadecimal digit.
uint64_t ParseHexPrefix(std::string_view text);

} // namespace sable
