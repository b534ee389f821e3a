#pragma once
// One running simulated printer: its configuration plus what happened to it (jobs, print
// bytes, SETs). Every transport (sockets of the native server, the in-process USB model)
// goes through this class; it is safe to use from several threads.
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "quill/SnmpCodec.h"
#include "sim/HttpMessage.h"
#include "sim/PrinterConfig.h"

namespace sim {

using Clock = std::chrono::steady_clock;

struct SimJob {
    int id = 0;
    std::string kind;    // InternalPrintDyn job type, or "calibration"
    std::string path;    // "/Jobs/JobList/<id>"
    Clock::time_point started;
    unsigned runMs = 0;
    std::string finalState;
};

struct SnmpSetRecord {
    std::string oid; // dotted
    std::string value; // rendered: decimal for integers, text or hex otherwise
};

struct JobPost {
    std::string path;    // the resource posted to
    std::string jobType; // the JobType element, empty for a calibration session
    std::string body;
};

struct ReceivedLog {
    std::vector<uint8_t> printBytes;      // everything sent to the raw sink, jobs concatenated
    int printJobs = 0;                    // connections or USB writes that delivered bytes
    std::vector<SnmpSetRecord> snmpSets;  // over SNMP and over the Quill wire, in order
    std::vector<JobPost> jobPosts;
    std::vector<std::string> httpRequests; // request lines, in order
};

// Result codes of Quill object access besides 0 (success).
constexpr uint32_t kQuillDeviceLost = 0x80000000u;
constexpr uint32_t kQuillUnknownObject = 2;  // no such object, or not writable
constexpr uint32_t kQuillBadIdentifier = 3;  // empty, or a zero byte inside

// The result of a Quill object read by its dotted id (the USB library's view).
struct QuillRead {
    uint32_t result = 0;     // 0 success, 0x80000000 device lost, other: library error
    uint8_t type = 0;        // 1 integer (4 bytes, little-endian), 4 string with a two-byte prefix
    std::vector<uint8_t> value;
};

class SimDevice {
public:
    explicit SimDevice(PrinterConfig config, std::function<Clock::time_point()> clock = Clock::now);

    PrinterConfig Config() const;
    std::string Name() const;
    EndpointFaults FaultsOf(Endpoint endpoint) const;
    // Applies a scenario setting while running (see ApplySetting).
    bool Apply(const std::string& key, const std::string& value, std::string& error);

    // A Sable request over either transport.
    HttpResponse HandleHttp(const HttpRequest& request);
    // An SNMP datagram; no value means no answer (not ours, undecodable, or silenced).
    std::optional<std::vector<uint8_t>> HandleSnmp(const uint8_t* data, size_t size);
    // The IEEE 1284 device identification, status field included.
    std::string DeviceId() const;
    // The raw sink.
    void RecordPrint(const uint8_t* data, size_t size, bool newJob);

    // Quill objects as the USB device library carries them.
    QuillRead GetQuillObject(const std::vector<uint8_t>& quillId);
    uint32_t SetQuillObject(const std::vector<uint8_t>& quillId, int32_t value);

    ReceivedLog Received() const;
    void ClearReceived();

private:
    std::function<Clock::time_point()> clock_;
    mutable std::mutex mutex_;
    PrinterConfig config_;
    ReceivedLog received_;
    std::vector<SimJob> jobs_;
    std::map<std::string, SnmpValue> written_; // Quill objects set by hosts, by dotted id
    int nextJobId_ = 12;
};

} // namespace sim
