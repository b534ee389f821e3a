#pragma once
// One simulated printer as a scenario describes it: identity, condition, supplies and the
// faults it is told to show. Plain data; SimDevice guards it while transports run.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

enum class Protocol { Sable, Quill };

// Where a fault applies.
enum class Endpoint { Http, Snmp, Raw, Usb, QuillWire };

// Misbehaviour of one endpoint. All off is a healthy device.
struct EndpointFaults {
    unsigned delayMs = 0;    // wait this long before answering
    bool silence = false;    // read the request, never answer
    bool garbage = false;    // answer with bytes that are no protocol at all
    bool oversized = false;  // HTTP: a body far larger than any document (4 MiB)
    bool empty = false;      // HTTP: a 200 answer without a body
    bool endless = false;    // HTTP: a chunked body that never ends
    bool disconnect = false; // HTTP: close the connection halfway through the body
    bool wrongTypes = false; // SNMP/Quill: integers sent as strings and strings as integers
    bool refuse = false;     // raw: no listener, connections are refused
    bool stall = false;      // raw/USB print: accept the job and never take its bytes
    bool chunked = false;    // HTTP/USB: bodies in chunked transfer coding
    bool noise = false;      // USB: bytes that are not HTTP before the response
    unsigned readSize = 0;   // USB: hand the response out in reads of at most this (0 = 2048)
    unsigned emptyReads = 0; // USB: this many empty reads before each response piece
};

struct SimInk {
    std::string label = "K";           // Sable label code: K, C, M, Y, CMY, PK ...
    int colourCode = 0;                // Quill colour code; 0 = derived from the label
    int level = 100;                   // percent remaining
    std::string type = "inkCartridge"; // Sable consumable type
    std::string serial;
    std::string selectability = "61";  // the cartridge number to buy
    std::string state = "ok";          // ok, low, veryLow, out, missing, incorrect, failure, expired, reserve
    std::string brand = "kelo";        // kelo or nonKelo
    int drops = 0;                     // thousands of drops used
    int region = 1;
    std::string installDate = "20240312";
    std::string warranty = "inWarranty";

    friend bool operator==(const SimInk&, const SimInk&) = default;
};

struct SimPrinthead {
    std::string id = "1";
    std::string state = "ok";
    std::string installDate = "20240312";
    std::string warranty = "inWarranty";

    friend bool operator==(const SimPrinthead&, const SimPrinthead&) = default;
};

struct SimAlert {
    std::string id;
    std::string severity = "Info";
    int priority = -1; // -1: the alert carries no priority element

    friend bool operator==(const SimAlert&, const SimAlert&) = default;
};

// A value put in place of (or removing) one Quill object: "int 5", "string text",
// "hex 01-15-41", "null", "absent".
struct QuillOverride {
    std::string kind;  // int, string, hex, null, absent
    std::string value; // as written after the kind

    friend bool operator==(const QuillOverride&, const QuillOverride&) = default;
};

struct PrinterConfig {
    std::string name;    // the scenario's name for the printer
    std::string address; // loopback IPv4 of a network printer; empty for USB
    bool usb = false;
    std::string quillEndpoint; // USB only: "127.0.0.1:port" serving the Quill objects
    unsigned httpPort = 8080;  // where job locations point; set by the server, not by scenarios
    Protocol protocol = Protocol::Sable;

    std::string model = "Kelo Vireo 4500 All-in-One";
    std::string modelBase = "Kelo Vireo 4500";
    std::string productId = "2312";
    std::string serial = "CN4A7K1XYZ";
    std::string firmware = "VIR1CN2419AR";
    std::string serviceId = "23045";
    std::string installDate = "20130214";
    std::string mac = "00:1A:2B:3C:4D:5E";
    std::string regionId = "12";
    std::string inkKit = "61";
    int pageCount = 1234;
    bool copy = true;
    bool adf = false;

    int statusCode = 0;               // the status field of the device identification
    std::vector<std::string> statuses{"ready"}; // Sable status categories, in document order
    std::vector<SimAlert> alerts;
    unsigned feederStatus = 0x0010;   // Quill feeder status word (bit 4 = idle)
    std::vector<SimInk> inks;
    std::vector<SimPrinthead> printheads;

    // How each carrier types objects printers disagree on: the colour codes and the feeder
    // status (octets spelling their hexadecimal digits, or integers), and the printheads'
    // health and warranty (text, or integers).
    bool snmpCodesAsIntegers = false;
    bool usbCodesAsIntegers = true;
    bool snmpPrintheadIntegers = false;
    bool usbPrintheadIntegers = false;
    // USB: the identification keeps the two-byte length the printer sends in front of it.
    bool deviceIdLength = false;
    // USB: an idle printer reports 0 bytes waiting (instead of no size at all).
    bool usbIdleSizeZero = false;
    // Job posts are parsed as a printer does: XML, namespace, job type and content type.
    bool strictJobs = false;

    unsigned jobDelayMs = 1500;             // a job runs this long
    std::string jobFinalState = "completed"; // then reports this
    std::map<std::string, QuillOverride> quillOverrides; // by dotted Quill id

    std::map<Endpoint, EndpointFaults> faults;

    const EndpointFaults& FaultsOf(Endpoint endpoint) const;
};

// A printer with two inks (black, tricolour) and one printhead, healthy.
PrinterConfig DefaultPrinter(const std::string& name);

// Applies one "key = value" setting (the scenario syntax, see sim/README.md). Returns false
// and puts the reason in `error` for an unknown key or a bad value; the printer is then unchanged.
bool ApplySetting(PrinterConfig& printer, const std::string& key, const std::string& value, std::string& error);

// The Quill colour code for a Sable label code (K 8, C 1, M 2, Y 4, CMY 7, PK 4096 ...); 0 when unknown.
int ColourCodeForLabel(const std::string& label);

const char* EndpointName(Endpoint endpoint);

// The text without blanks (space, tab, carriage return) at either end.
std::string_view TrimBlanks(std::string_view text);

// ASCII letters in lower case (identifiers, label codes, states).
std::string AsciiLower(std::string text);

// Dotted-quad IPv4 text: four decimal parts of at most three digits, each up to 255.
bool IsIpv4Address(const std::string& text);

} // namespace sim
