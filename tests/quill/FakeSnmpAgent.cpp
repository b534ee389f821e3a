#include "FakeSnmpAgent.h"

FakeSnmpAgent::FakeSnmpAgent(Script script) : script_(std::move(script))
{
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    socket_ = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int length = sizeof address;
    ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    DWORD timeout = 50;
    ::setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    thread_ = std::thread([this] { Serve(); });
}

FakeSnmpAgent::~FakeSnmpAgent()
{
    stop_ = true;
    thread_.join();
    ::closesocket(socket_);
    ::WSACleanup();
}

void FakeSnmpAgent::Serve()
{
    std::vector<uint8_t> buffer(65536);
    while (!stop_) {
        sockaddr_in from{};
        int fromLength = sizeof from;
        const int received = ::recvfrom(socket_, reinterpret_cast<char*>(buffer.data()),
                                        static_cast<int>(buffer.size()), 0, reinterpret_cast<sockaddr*>(&from),
                                        &fromLength);
        SnmpMessage request;
        if (received <= 0 || !DecodeSnmpMessage(buffer.data(), static_cast<size_t>(received), request))
            continue;
        {
            std::lock_guard guard(mutex_);
            requests_.push_back(request);
        }
        for (const Datagram& answer : script_(request))
            ::sendto(socket_, reinterpret_cast<const char*>(answer.data()), static_cast<int>(answer.size()), 0,
                     reinterpret_cast<sockaddr*>(&from), fromLength);
    }
}

std::vector<SnmpMessage> FakeSnmpAgent::Requests() const
{
    std::lock_guard guard(mutex_);
    return requests_;
}

int FakeSnmpAgent::RequestCount() const
{
    std::lock_guard guard(mutex_);
    return static_cast<int>(requests_.size());
}

Datagram FakeSnmpAgent::Reply(const SnmpMessage& request, const SnmpValue& value, int32_t errorStatus)
{
    SnmpMessage reply = request;
    reply.pdu.type = SnmpPduType::GetResponse;
    reply.pdu.errorStatus = errorStatus;
    reply.pdu.errorIndex = errorStatus != 0 ? 1 : 0;
    if (errorStatus == 0)
        for (SnmpVarBind& bind : reply.pdu.varbinds)
            bind.value = value;
    return EncodeSnmpMessage(reply);
}
