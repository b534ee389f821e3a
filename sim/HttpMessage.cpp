#include "sim/HttpMessage.h"
#include "sim/PrinterConfig.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace sim {
namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool IsToken(std::string_view text)
{
    if (text.empty())
        return false;
    return std::all_of(text.begin(), text.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return u > 32 && u < 127 && c != ':' && c != '(' && c != ')' && c != '"';
    });
}

std::string Decimal(size_t value)
{
    return std::to_string(value);
}

std::string Hex(size_t value)
{
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, 16);
    return std::string(buffer, result.ptr);
}

} // namespace

std::string HttpRequest::Header(std::string_view name) const
{
    for (const auto& [key, value] : headers)
        if (EqualsIgnoringCase(key, name))
            return value;
    return {};
}

HttpRequestParser::State HttpRequestParser::Feed(const char* data, size_t size)
{
    if (state_ == State::Error)
        return state_;
    buffer_.append(data, size);
    if (state_ == State::Complete)
        return state_;
    return Advance();
}

HttpRequestParser::State HttpRequestParser::Fail(std::string reason)
{
    error_ = std::move(reason);
    buffer_.clear();
    return state_ = State::Error;
}

HttpRequestParser::State HttpRequestParser::Advance()
{
    if (!headDone_) {
        // Blank lines before a request are allowed (RFC 9112, 2.2).
        while (buffer_.starts_with("\r\n"))
            buffer_.erase(0, 2);
        size_t end = buffer_.find("\r\n\r\n");
        if (end == std::string::npos) {
            if (buffer_.size() > kMaxHeadBytes)
                return Fail("request head too large");
            return state_ = State::NeedMore;
        }
        if (end + 4 > kMaxHeadBytes)
            return Fail("request head too large");
        std::string_view head(buffer_.data(), end);
        size_t lineEnd = head.find("\r\n");
        std::string_view requestLine = head.substr(0, lineEnd);
        size_t firstBlank = requestLine.find(' ');
        size_t secondBlank = firstBlank == std::string_view::npos ? firstBlank : requestLine.find(' ', firstBlank + 1);
        if (secondBlank == std::string_view::npos || requestLine.find(' ', secondBlank + 1) != std::string_view::npos)
            return Fail("malformed request line");
        request_ = {};
        request_.method = std::string(requestLine.substr(0, firstBlank));
        request_.target = std::string(requestLine.substr(firstBlank + 1, secondBlank - firstBlank - 1));
        request_.version = std::string(requestLine.substr(secondBlank + 1));
        if (!IsToken(request_.method) || request_.target.empty() || !request_.version.starts_with("HTTP/1."))
            return Fail("malformed request line");
        std::string_view rest = lineEnd == std::string_view::npos ? std::string_view() : head.substr(lineEnd + 2);
        while (!rest.empty()) {
            size_t next = rest.find("\r\n");
            std::string_view line = rest.substr(0, next);
            rest = next == std::string_view::npos ? std::string_view() : rest.substr(next + 2);
            size_t colon = line.find(':');
            if (colon == std::string_view::npos || !IsToken(line.substr(0, colon)))
                return Fail("malformed header line");
            request_.headers.emplace_back(std::string(line.substr(0, colon)), std::string(TrimBlanks(line.substr(colon + 1))));
        }
        buffer_.erase(0, end + 4);
        headDone_ = true;
        chunked_ = false;
        bodyLength_ = 0;
        std::string transferEncoding = request_.Header("Transfer-Encoding");
        std::string contentLength = request_.Header("Content-Length");
        if (!transferEncoding.empty()) {
            if (!EqualsIgnoringCase(TrimBlanks(transferEncoding), "chunked"))
                return Fail("unsupported transfer coding");
            chunked_ = true;
        } else if (!contentLength.empty()) {
            std::string_view digits = TrimBlanks(contentLength);
            auto parsed = std::from_chars(digits.data(), digits.data() + digits.size(), bodyLength_);
            if (parsed.ec != std::errc() || parsed.ptr != digits.data() + digits.size())
                return Fail("bad Content-Length");
            if (bodyLength_ > kMaxBodyBytes)
                return Fail("request body too large");
        }
    }
    if (!chunked_) {
        if (buffer_.size() < bodyLength_)
            return state_ = State::NeedMore;
        request_.body = buffer_.substr(0, bodyLength_);
        buffer_.erase(0, bodyLength_);
        return state_ = State::Complete;
    }
    // Chunked: decode as far as complete chunks allow, without consuming a partial one.
    size_t position = 0;
    std::string body;
    for (;;) {
        size_t lineEnd = buffer_.find("\r\n", position);
        if (lineEnd == std::string::npos) {
            if (buffer_.size() - position > 1024)
                return Fail("chunk size line too long");
            return state_ = State::NeedMore;
        }
        std::string_view sizeText(buffer_.data() + position, lineEnd - position);
        sizeText = sizeText.substr(0, sizeText.find(';'));
        sizeText = TrimBlanks(sizeText);
        size_t chunkSize = 0;
        auto parsed = std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), chunkSize, 16);
        if (sizeText.empty() || parsed.ec != std::errc() || parsed.ptr != sizeText.data() + sizeText.size())
            return Fail("bad chunk size");
        if (chunkSize > kMaxBodyBytes || body.size() + chunkSize > kMaxBodyBytes)
            return Fail("request body too large");
        size_t dataStart = lineEnd + 2;
        if (chunkSize == 0) {
            // Trailers are not used by anyone talking to a printer; expect the final blank line.
            size_t trailerEnd = buffer_.find("\r\n", dataStart);
            if (trailerEnd == std::string::npos)
                return state_ = State::NeedMore;
            if (trailerEnd != dataStart)
                return Fail("trailers not supported");
            request_.body = std::move(body);
            buffer_.erase(0, trailerEnd + 2);
            return state_ = State::Complete;
        }
        if (buffer_.size() < dataStart + chunkSize + 2)
            return state_ = State::NeedMore;
        if (buffer_.compare(dataStart + chunkSize, 2, "\r\n") != 0)
            return Fail("chunk not followed by CRLF");
        body.append(buffer_, dataStart, chunkSize);
        position = dataStart + chunkSize + 2;
    }
}

HttpRequest HttpRequestParser::TakeRequest()
{
    HttpRequest request = std::move(request_);
    request_ = {};
    headDone_ = false;
    state_ = State::NeedMore;
    if (!buffer_.empty())
        Advance();
    return request;
}

std::string SerializeHead(const HttpResponse& response, bool chunked)
{
    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " + response.reason + "\r\n";
    for (const auto& [name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    if (chunked)
        head += "Transfer-Encoding: chunked\r\n";
    else
        head += "Content-Length: " + Decimal(response.body.size()) + "\r\n";
    head += "\r\n";
    return head;
}

std::string Chunk(std::string_view data)
{
    if (data.empty())
        return "0\r\n\r\n";
    return Hex(data.size()) + "\r\n" + std::string(data) + "\r\n";
}

std::string SerializeResponse(const HttpResponse& response, bool chunked, size_t chunkSize)
{
    std::string bytes = SerializeHead(response, chunked);
    if (!chunked)
        return bytes + response.body;
    chunkSize = std::max<size_t>(chunkSize, 1);
    for (size_t at = 0; at < response.body.size(); at += chunkSize)
        bytes += Chunk(std::string_view(response.body).substr(at, chunkSize));
    return bytes + Chunk({});
}

HttpResponse NotFound(const std::string& target)
{
    HttpResponse response;
    response.status = 404;
    response.reason = "Not Found";
    response.headers = {{"Content-Type", "text/html"}, {"Connection", "close"}};
    std::string shown;
    for (char c : target)
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '.' || c == '_' || c == '-')
            shown += c;
    response.body = "<html><head><title>404 Not Found</title></head><body><h1>Not Found</h1><p>" + shown +
                    " does not exist on this device.</p></body></html>";
    return response;
}

} // namespace sim
