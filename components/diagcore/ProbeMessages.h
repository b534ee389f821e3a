#pragma once
// What the network search sends to each host and how it reads the answers: SNMP v1 GETs of
// the description and identification objects, the HTTP exchange for the product
// configuration document, and the decision what a host that answered is. Plain C++ without
// system headers; every input comes off the network and is bounded.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// An SNMP v1 GetRequest for one object, community "public".
std::vector<uint8_t> SnmpGetRequest(int32_t requestId, std::string_view oid);

struct SnmpTextReply {
    int32_t requestId = 0;
    // The object's text, when the agent had the object as an OCTET STRING; trimmed of
    // blanks, quotes and trailing zero bytes.
    std::optional<std::string> text;
};

// A GetResponse to a request of ours (community "public", version 1); anything else,
// including a well-formed message of another kind, gives no value.
std::optional<SnmpTextReply> ReadSnmpTextReply(const uint8_t* data, size_t size);

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
