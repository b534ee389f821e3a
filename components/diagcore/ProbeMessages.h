#pragma once
// What the network search sends to each host and how it reads the answers: SNMP v1 GETs of
// the description and identification objects, the HTTP exchange for the product
// configuration document, and the decision what a host that answered is. Plain C++ without
// system headers; every input comes off the network and is bounded.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "components/diagcore/Ipv4Ranges.h"

namespace diagcore {

// hrDeviceDescr.1 of the Host Resources MIB: the printer's description.
inline constexpr char kDescriptionOid[] = "1.3.6.1.2.1.25.3.2.1.3.1";
// The maker's identification object: the IEEE 1284 device identification.
inline constexpr char kIdentificationOid[] = "1.3.6.1.4.1.48213.2.3.9.1.1.7.0";
inline constexpr char kProductConfigPath[] = "/DevMgmt/ProductConfigDyn.xml";
inline constexpr uint16_t kSnmpPort = 161;
inline constexpr uint16_t kSablePort = 8080;
// Larger answers are no product configuration document.
inline constexpr size_t kMaxHttpResponse = 256 * 1024;

// An SNMP v1 GetRequest for the objects, community "public".
std::vector<uint8_t> SnmpGetRequest(int32_t requestId, std::initializer_list<std::string_view> oids);
inline std::vector<uint8_t> SnmpGetRequest(int32_t requestId, std::string_view oid)
{
    return SnmpGetRequest(requestId, {oid});
}

struct SnmpTextReply {
    int32_t requestId = 0;
    // The agent reported an error (noSuchName and the like): no object came.
    bool failed = false;
    // The objects in the order asked: each one's text when the agent had it as an OCTET
    // STRING, trimmed of blanks, quotes and trailing zero bytes.
    std::vector<std::optional<std::string>> texts;
};

// A GetResponse to a request of ours (community "public", version 1); anything else,
// including a well-formed message of another kind, gives no value.
std::optional<SnmpTextReply> ReadSnmpTextReply(const uint8_t* data, size_t size);

// One host's SNMP exchange. The description and the identification are asked in one
// request, so a printer answers in one round trip and a host without an agent costs one
// datagram; what the agent did not give that way (a version 1 agent fails the whole
// request for one missing object) is asked one object per request. Unanswered requests
// are sent once more after the time-out T; the exchange ends when both objects are
// answered, when the host refuses, or T after the last send (2T for a silent host).
// A reply counts only from the agent's address and for a request id of this exchange.
class SnmpExchange {
public:
    using Datagrams = std::vector<std::vector<uint8_t>>;
    // Request ids `firstRequestId` up to `firstRequestId` + kRequestIds - 1 are this exchange's,
    // counted modulo 2^32: any first id will do, INT32_MAX is followed by INT32_MIN.
    static constexpr int32_t kRequestIds = 3;

    SnmpExchange(Ipv4 agent, int32_t firstRequestId, uint64_t timeoutMs);

    // The first request.
    Datagrams Start(uint64_t now);
    // A reply that came from `from`; gives the requests it makes due.
    Datagrams Received(Ipv4 from, const SnmpTextReply& reply, uint64_t now);
    // Gives the repeats that are due; ends an exchange whose time is up.
    Datagrams Tick(uint64_t now);
    // The host reported the agent's port unreachable.
    void Refused() { done_ = true; }

    bool Done() const { return done_; }
    // The agent answered anything.
    bool Answered() const { return agentAnswered_; }
    const std::optional<std::string>& Description() const { return texts_[0]; }
    const std::optional<std::string>& Identification() const { return texts_[1]; }

private:
    enum Request { kBoth, kDescription, kIdentification, kRequestCount };

    // The requests outstanding, as a new round of sends.
    Datagrams Send(uint64_t now);
    int32_t RequestId(Request request) const;

    Ipv4 agent_;
    int32_t firstRequestId_;
    uint64_t timeoutMs_;
    bool outstanding_[kRequestCount] = {};
    bool answered_[2] = {false, false}; // description, identification
    std::optional<std::string> texts_[2];
    bool agentAnswered_ = false;
    int rounds_ = 0;
    uint64_t sentAt_ = 0;
    bool done_ = false;
};

// A UDP datagram of ours that an ICMP destination-unreachable message reports undelivered.
struct UdpUnreachable {
    Ipv4 destination = 0;
    uint16_t sourcePort = 0;
    uint16_t destinationPort = 0;
};

// Reads a datagram of a raw ICMP socket (IPv4 header first, as raw sockets deliver it); no
// value unless it is a destination-unreachable message quoting a UDP datagram.
std::optional<UdpUnreachable> ReadUdpUnreachable(const uint8_t* data, size_t size);

// "GET <path> HTTP/1.1" with Host and "Connection: close".
std::string HttpGetRequest(std::string_view host, uint16_t port, std::string_view path);

// Collects one HTTP/1.x response from a connection that the server closes at the end.
// Bodies by Content-Length, chunked coding or connection close; the whole response is
// bounded by kMaxHttpResponse.
class HttpResponseReader {
public:
    enum class State { NeedMore, Complete, Failed };

    State Feed(std::string_view bytes);
    // The peer closed the connection.
    State Closed();
    State Current() const { return state_; }
    int Status() const { return status_; }
    const std::string& Body() const { return body_; }

private:
    State ParseHead();
    State DecodeChunks();
    State Fail() { return state_ = State::Failed; }

    State state_ = State::NeedMore;
    std::string raw_;       // bytes not decoded yet
    bool headDone_ = false;
    int status_ = 0;
    bool chunked_ = false;
    std::optional<size_t> contentLength_;
    std::string body_;
    size_t received_ = 0;
};

// The fields of /DevMgmt/ProductConfigDyn.xml the search lists a printer by.
struct SableProduct {
    std::string makeAndModel;
    std::string modelBase;
    std::string serialNumber;
};

// The document's product information, whatever the namespace prefixes; no value unless the
// root element is ProductConfigDyn and it names a model.
std::optional<SableProduct> ReadProductConfig(std::string_view xml);

// Text from a device as UTF-16: UTF-8 when it is valid UTF-8, otherwise one character per
// byte (ISO 8859-1).
std::wstring WidenDeviceText(std::string_view bytes);

// What one host answered.
struct ProbeOutcome {
    std::optional<std::string> description;    // hrDeviceDescr
    std::optional<std::string> identification; // the maker's identification object
    std::optional<SableProduct> sable;
};

// Device flag bits (the type library's KeloDeviceFlags).
inline constexpr long kFlagAnsweredSnmp = 0x01;
inline constexpr long kFlagAnsweredSable = 0x02;
inline constexpr long kFlagHasQueue = 0x04;
inline constexpr long kFlagMakerPrinter = 0x10;

struct FoundPrinter {
    std::wstring name;        // the description, or the document's model
    std::wstring productName; // the identification's model, or the document's model base
    std::wstring manufacturer;
    std::wstring serialNumber;
    long flags = 0;
};

// A host that answered the description, the identification or the product configuration
// is a printer; it is the maker's when the maker's identification object names a model or
// the host serves the product configuration document. No value for a host that answered
// nothing usable.
std::optional<FoundPrinter> ClassifyProbe(const ProbeOutcome& outcome);

} // namespace diagcore
