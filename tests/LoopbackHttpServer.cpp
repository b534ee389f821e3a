#include "LoopbackHttpServer.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cctype>

namespace {

// How long a connection may take to send its request head.
constexpr int kReadTimeoutMilliseconds = 5000;
constexpr std::size_t kMaxRequestHead = 64 * 1024;

bool WaitReadable(SOCKET socket, int milliseconds)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket, &readable);
    timeval timeout{milliseconds / 1000, (milliseconds % 1000) * 1000};
    return ::select(0, &readable, nullptr, nullptr, &timeout) == 1;
}

void SendAll(SOCKET socket, const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const int chunk = static_cast<int>(std::min<std::size_t>(bytes.size() - sent, 64 * 1024));
        const int result = ::send(socket, bytes.data() + sent, chunk, 0);
        if (result <= 0)
            return;
        sent += static_cast<std::size_t>(result);
    }
}

std::string Lower(std::string text)
{
    for (auto& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

std::string RecordedRequest::Header(const std::string& name) const
{
    const std::string wanted = Lower(name) + ":";
    std::size_t start = head.find("\r\n");
    while (start != std::string::npos && start + 2 < head.size()) {
        start += 2;
        const auto end = head.find("\r\n", start);
        const std::string line = head.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (Lower(line.substr(0, wanted.size())) == wanted) {
            const auto value = line.find_first_not_of(' ', wanted.size());
            return value == std::string::npos ? std::string() : line.substr(value);
        }
        start = end;
    }
    return {};
}

LoopbackHttpServer::LoopbackHttpServer(const std::string& address, unsigned short port) : address_(address)
{
    WSADATA data;
    winsockStarted_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    if (!winsockStarted_)
        return;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = ::htons(port);
    // Only loopback addresses: tests never reach any other host.
    if (::inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1 || (::ntohl(local.sin_addr.s_addr) >> 24) != 127)
        return;
    SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET)
        return;
    int length = sizeof(local);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0 || ::listen(listener, 16) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        ::closesocket(listener);
        return;
    }
    listener_ = listener;
    port_ = ::ntohs(local.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    stopping_ = true;
    if (thread_.joinable())
        thread_.join();
    if (listener_ != INVALID_SOCKET)
        ::closesocket(listener_);
    for (SOCKET socket : held_)
        ::closesocket(socket);
    if (winsockStarted_)
        ::WSACleanup();
}

std::unique_ptr<LoopbackHttpServer> LoopbackHttpServer::OnPort80(int first)
{
    for (int host = first; host < 255; ++host) {
        auto server = std::make_unique<LoopbackHttpServer>("127.0.4." + std::to_string(host), 80);
        if (server->Listening())
            return server;
    }
    return nullptr;
}

std::string LoopbackHttpServer::Host() const
{
    return port_ == 80 ? address_ : address_ + ":" + std::to_string(port_);
}

std::wstring LoopbackHttpServer::Link(const std::string& target) const
{
    const std::string link = "http://" + Host() + target;
    return std::wstring(link.begin(), link.end());
}

void LoopbackHttpServer::Answer(const std::string& path, int status, const std::string& headers,
                                const std::string& body)
{
    AnswerRaw(path, "HTTP/1.1 " + std::to_string(status) + " Canned\r\nContent-Length: " +
                        std::to_string(body.size()) + "\r\nConnection: close\r\n" + headers + "\r\n" + body);
}

void LoopbackHttpServer::Redirect(const std::string& path, int status, const std::string& location)
{
    Answer(path, status, "Location: " + location + "\r\n");
}

void LoopbackHttpServer::AnswerRaw(const std::string& path, std::string bytes)
{
    std::lock_guard lock(mutex_);
    answers_[path] = Canned{std::move(bytes), false};
}

void LoopbackHttpServer::Hold(const std::string& path, std::string bytes)
{
    std::lock_guard lock(mutex_);
    answers_[path] = Canned{std::move(bytes), true};
}

std::vector<RecordedRequest> LoopbackHttpServer::Requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<RecordedRequest> LoopbackHttpServer::RequestsFor(const std::string& path) const
{
    std::vector<RecordedRequest> matching;
    for (auto& request : Requests())
        if (request.Path() == path)
            matching.push_back(std::move(request));
    return matching;
}

LoopbackHttpServer::Canned LoopbackHttpServer::AnswerFor(const std::string& path) const
{
    std::lock_guard lock(mutex_);
    const auto found = answers_.find(path);
    if (found != answers_.end())
        return found->second;
    return Canned{"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n", false};
}

void LoopbackHttpServer::Serve()
{
    while (!stopping_) {
        if (!WaitReadable(listener_, 50))
            continue;
        SOCKET client = ::accept(listener_, nullptr, nullptr);
        if (client != INVALID_SOCKET)
            HandleConnection(client);
    }
}

void LoopbackHttpServer::HandleConnection(SOCKET client)
{
    RecordedRequest request;
    if (!ReadRequest(client, request)) {
        ::closesocket(client);
        return;
    }
    const Canned answer = AnswerFor(request.Path());
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }
    SendAll(client, answer.bytes);
    if (answer.hold) {
        held_.push_back(client);
        return;
    }
    ::shutdown(client, SD_SEND);
    ::closesocket(client);
}

bool LoopbackHttpServer::ReadRequest(SOCKET client, RecordedRequest& request)
{
    std::string received;
    std::size_t headEnd = std::string::npos;
    char buffer[4096];
    while ((headEnd = received.find("\r\n\r\n")) == std::string::npos) {
        if (received.size() > kMaxRequestHead || !WaitReadable(client, kReadTimeoutMilliseconds))
            return false;
        const int count = ::recv(client, buffer, sizeof(buffer), 0);
        if (count <= 0)
            return false;
        received.append(buffer, static_cast<std::size_t>(count));
    }
    request.head = received.substr(0, headEnd);
    const auto lineEnd = request.head.find("\r\n");
    const std::string line = request.head.substr(0, lineEnd);
    const auto firstSpace = line.find(' ');
    const auto lastSpace = line.rfind(' ');
    if (firstSpace == std::string::npos || lastSpace == firstSpace)
        return false;
    request.method = line.substr(0, firstSpace);
    request.target = line.substr(firstSpace + 1, lastSpace - firstSpace - 1);
    request.version = line.substr(lastSpace + 1);
    return true;
}
