#include "sim/server/SnmpListener.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include "quill/SnmpCodec.h"
#include "sim/server/Log.h"

namespace sim::server {
namespace {

// Delayed answers beyond this are dropped: a flood must not grow memory without end.
constexpr size_t kMaxPendingReplies = 1024;

std::string PeerOf(const sockaddr_in& peer)
{
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(peer.sin_port));
}

const char* PduName(SnmpPduType type)
{
    switch (type) {
    case SnmpPduType::GetRequest: return "GET";
    case SnmpPduType::GetNextRequest: return "GETNEXT";
    case SnmpPduType::GetResponse: return "RESPONSE";
    case SnmpPduType::SetRequest: return "SET";
    }
    return "?";
}

} // namespace

std::string DescribeSnmpRequest(const uint8_t* data, size_t size)
{
    SnmpMessage message;
    std::string error;
    if (!DecodeSnmpMessage(data, size, message, &error))
        return "undecodable (" + error + ")";
    std::string text = PduName(message.pdu.type);
    size_t shown = 0;
    // Every object of an ordinary request (bench/run.sh reads them from here); a flood is cut.
    for (const SnmpVarBind& bind : message.pdu.varbinds) {
        if (++shown > 64) {
            text += " ...";
            break;
        }
        text += " " + bind.oid.Format();
    }
    std::string community(message.community.begin(), message.community.end());
    if (community != "public")
        text += " (community '" + community.substr(0, 32) + "')";
    return text;
}

SnmpListener::SnmpListener(std::string label, SocketAddress where, SimDevice& device, const StopSignal& stop)
    : label_(std::move(label)), where_(std::move(where)), device_(device), stop_(stop)
{
}

SnmpListener::~SnmpListener()
{
    if (thread_.joinable())
        thread_.join();
}

bool SnmpListener::Open(std::string& error)
{
    fd_ = BindUdp(where_, error);
    if (!fd_.Valid())
        return false;
    where_.port = BoundPort(fd_.Get());
    return true;
}

void SnmpListener::Start()
{
    thread_ = std::thread([this] { Loop(); });
}

void SnmpListener::Loop()
{
    std::vector<uint8_t> buffer(kMaxSnmpDatagramBytes);
    while (!stop_.Triggered()) {
        int timeoutMs = -1;
        if (!pending_.empty()) {
            auto first = std::min_element(pending_.begin(), pending_.end(),
                                          [](const auto& a, const auto& b) { return a.due < b.due; });
            auto left = std::chrono::ceil<std::chrono::milliseconds>(first->due - ServerClock::now()).count();
            timeoutMs = static_cast<int>(std::clamp<long long>(left, 0, 60'000));
        }
        pollfd fds[2] = {{stop_.Fd(), POLLIN, 0}, {fd_.Get(), POLLIN, 0}};
        int count = poll(fds, 2, timeoutMs);
        if (count < 0 && errno != EINTR)
            break;
        if (fds[0].revents != 0)
            break;
        if (count > 0 && fds[1].revents != 0)
            ReceiveOne(buffer);
        SendDue();
    }
}

void SnmpListener::ReceiveOne(std::vector<uint8_t>& buffer)
{
    sockaddr_in peer{};
    socklen_t peerLength = sizeof peer;
    // MSG_TRUNC makes recvfrom tell the datagram's real length.
    ssize_t length = recvfrom(fd_.Get(), buffer.data(), buffer.size(), MSG_DONTWAIT | MSG_TRUNC,
                              reinterpret_cast<sockaddr*>(&peer), &peerLength);
    if (length < 0)
        return;
    std::string prefix = "[" + label_ + "] " + PeerOf(peer) + " ";
    if (static_cast<size_t>(length) > buffer.size()) {
        LogLine(prefix + "datagram of " + std::to_string(length) + " bytes dropped");
        return;
    }
    size_t size = static_cast<size_t>(length);
    std::optional<std::vector<uint8_t>> reply = device_.HandleSnmp(buffer.data(), size);
    unsigned delayMs = device_.FaultsOf(Endpoint::Snmp).delayMs;
    std::string outcome = reply ? std::to_string(reply->size()) + " bytes" : std::string("no answer");
    if (reply && delayMs != 0)
        outcome += " after " + std::to_string(delayMs) + " ms";
    LogLine(prefix + DescribeSnmpRequest(buffer.data(), size) + " -> " + outcome);
    if (!reply)
        return;
    if (delayMs == 0) {
        sendto(fd_.Get(), reply->data(), reply->size(), MSG_DONTWAIT, reinterpret_cast<const sockaddr*>(&peer),
               peerLength);
        return;
    }
    if (pending_.size() >= kMaxPendingReplies)
        return;
    pending_.push_back({ServerClock::now() + std::chrono::milliseconds(delayMs), peer, std::move(*reply)});
}

void SnmpListener::SendDue()
{
    auto now = ServerClock::now();
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (it->due > now) {
            ++it;
            continue;
        }
        sendto(fd_.Get(), it->bytes.data(), it->bytes.size(), MSG_DONTWAIT,
               reinterpret_cast<const sockaddr*>(&it->peer), sizeof it->peer);
        it = pending_.erase(it);
    }
}

} // namespace sim::server
