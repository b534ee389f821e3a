#pragma once
// The host's reading of an HTTP answer over a USB device interface, one completed read at
// a time, with the rules the tool applies: reads without "HTTP" before the head are noise,
// a Content-Length body may start in the head's read, a chunked body expects every chunk
// to begin a read, and ten empty reads in a row end a phase. Where the device breaks the
// chunk alignment the reader counts it, so tests can demand none.
#include <cctype>
#include <cstdlib>
#include <string>
#include <string_view>

class UsbHostReader {
public:
    static constexpr int kEmptyReadLimit = 10;

    // Takes one completed read (empty when it delivered nothing). False once the answer
    // is complete or the reader has given up.
    bool Take(std::string_view block)
    {
        if (block.empty()) {
            ++emptyReads_;
            if (++emptyInARow_ >= kEmptyReadLimit)
                done_ = true;
            return !done_;
        }
        emptyInARow_ = 0;
        ++dataReads_;
        if (!headComplete_)
            TakeHeadBytes(block.substr(0, block.find('\0')));
        else if (contentLength_ > 0)
            TakeBodyBytes(block);
        else
            TakeChunkedBytes(block);
        return !done_;
    }

    bool HeadComplete() const { return headComplete_; }
    // Above 0 the announced length, -1 chunked, 0 refused (not a 200 HTTP/1.1 answer).
    int ContentLength() const { return contentLength_; }
    bool ChunkedComplete() const { return chunkedComplete_; }
    const std::string& Head() const { return head_; }
    const std::string& Body() const { return body_; }
    int EmptyReads() const { return emptyReads_; }
    int DataReads() const { return dataReads_; }
    int NoiseReads() const { return noiseReads_; }
    int Misaligned() const { return misaligned_; }

private:
    void TakeHeadBytes(std::string_view bytes)
    {
        header_ += bytes;
        if (header_.find("HTTP") == std::string::npos) {
            header_.clear();
            ++noiseReads_;
            return;
        }
        size_t end = header_.find("\r\n\r\n");
        if (end == std::string::npos)
            return;
        headComplete_ = true;
        head_ = header_.substr(0, end + 4);
        std::string leftover = header_.substr(end + 4);
        contentLength_ = ParseHead(head_);
        if (contentLength_ == 0) {
            done_ = true;
        } else if (contentLength_ > 0) {
            if (!leftover.empty())
                TakeBodyBytes(leftover);
        } else if (!leftover.empty()) {
            ++misaligned_; // a chunk that does not begin a read is lost to the host
        }
    }

    void TakeBodyBytes(std::string_view bytes)
    {
        body_ += bytes;
        if (body_.size() >= static_cast<size_t>(contentLength_))
            done_ = true;
    }

    void TakeChunkedBytes(std::string_view block)
    {
        size_t dataStart = 0;
        if (chunkLeft_ == 0) {
            size_t lineEnd = block.find("\r\n");
            if (lineEnd == std::string_view::npos || !std::isxdigit(static_cast<unsigned char>(block[0]))) {
                ++misaligned_;
                done_ = true;
                return;
            }
            chunkLeft_ = std::strtoul(std::string(block.substr(0, lineEnd)).c_str(), nullptr, 16);
            if (chunkLeft_ == 0) {
                chunkedComplete_ = true;
                done_ = true;
                return;
            }
            dataStart = lineEnd + 2;
        }
        std::string_view data = block.substr(dataStart);
        if (chunkLeft_ > data.size()) {
            body_ += data;
            chunkLeft_ -= data.size();
            return;
        }
        body_ += data.substr(0, chunkLeft_);
        if (data.substr(chunkLeft_) != "\r\n")
            ++misaligned_;
        chunkLeft_ = 0;
    }

    // Status line "HTTP/1.1 200 <reason>" of exactly three words, then the first non-zero
    // "Content-Length" header (exact spelling) or chunked.
    static int ParseHead(const std::string& head)
    {
        size_t statusAt = head.find("HTTP/1.1");
        if (statusAt == std::string::npos)
            return 0;
        size_t lineStart = head.rfind('\n', statusAt);
        lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
        size_t lineEnd = head.find("\r\n", lineStart);
        std::string status = head.substr(lineStart, lineEnd - lineStart);
        int words = 0;
        std::string second;
        for (size_t at = 0; at < status.size();) {
            size_t next = status.find(' ', at);
            std::string word = status.substr(at, next == std::string::npos ? std::string::npos : next - at);
            if (++words == 2)
                second = word;
            at = next == std::string::npos ? status.size() : status.find_first_not_of(' ', next);
        }
        if (words != 3 || second != "200")
            return 0;
        for (size_t at = lineEnd + 2, end; (end = head.find("\r\n", at)) != std::string::npos; at = end + 2) {
            std::string line = head.substr(at, end - at);
            if (line.starts_with("Content-Length:")) {
                int length = std::atoi(line.c_str() + 15);
                if (length != 0)
                    return length;
            }
        }
        return -1;
    }

    std::string header_;
    std::string head_;
    std::string body_;
    bool headComplete_ = false;
    bool done_ = false;
    bool chunkedComplete_ = false;
    int contentLength_ = 0;
    size_t chunkLeft_ = 0;
    int emptyInARow_ = 0;
    int emptyReads_ = 0;
    int dataReads_ = 0;
    int noiseReads_ = 0;
    int misaligned_ = 0;
};
