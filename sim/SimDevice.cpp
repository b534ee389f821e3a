#include "sim/SimDevice.h"

#include <algorithm>

#include "sim/QuillObjects.h"
#include "sim/ResponsePlan.h"
#include "sim/SableDocuments.h"
#include "sim/SnmpAgent.h"

namespace sim {
namespace {

// Bounds on what a long-running simulator keeps of what it received.
constexpr size_t kMaxPrintBytes = 64 * 1024 * 1024;
constexpr size_t kMaxLoggedRequests = 1000;
constexpr size_t kMaxLoggedPosts = 1000;
constexpr size_t kMaxLoggedSets = 10000;
constexpr size_t kMaxJobs = 100;

const char* const kInternalPrintPath = "/DevMgmt/InternalPrintDyn.xml";
const char* const kCalibrationPath = "/Calibration/Session";
const char* const kJobListPath = "/Jobs/JobList/";

const char* const kJobTypes[] = {"diagnosticsPage", "pqDiagnosticsPage", "cleaningPage", "cleaningVerificationPage"};

HttpResponse XmlResponse(std::string body)
{
    HttpResponse response;
    response.headers = {{"Content-Type", "text/xml"}, {"Cache-Control", "no-cache"}, {"Connection", "close"}};
    response.body = std::move(body);
    return response;
}

HttpResponse Status(int status, const char* reason)
{
    HttpResponse response;
    response.status = status;
    response.reason = reason;
    response.headers = {{"Content-Type", "text/html"}, {"Connection", "close"}};
    response.body = "<html><body><h1>" + std::to_string(status) + " " + reason + "</h1></body></html>";
    return response;
}

std::string ElementText(const std::string& body, const std::string& name)
{
    std::string open = "<" + name + ">";
    size_t start = body.find(open);
    if (start == std::string::npos)
        return {};
    start += open.size();
    size_t end = body.find("</" + name + ">", start);
    return end == std::string::npos ? std::string() : body.substr(start, end - start);
}

std::string RenderValue(const SnmpValue& value)
{
    if (value.type == SnmpType::Integer)
        return std::to_string(value.integer);
    return std::string(value.bytes.begin(), value.bytes.end());
}

bool IsWritableQuillId(const std::string& dottedId)
{
    return dottedId == kServiceCommandId || dottedId == kCleaningCommandId;
}

std::vector<uint8_t> LittleEndian(int32_t value)
{
    auto bits = static_cast<uint32_t>(value);
    return {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8), static_cast<uint8_t>(bits >> 16),
            static_cast<uint8_t>(bits >> 24)};
}

template <class Item>
void PushBounded(std::vector<Item>& items, Item item, size_t limit)
{
    if (items.size() >= limit)
        items.erase(items.begin());
    items.push_back(std::move(item));
}

} // namespace

SimDevice::SimDevice(PrinterConfig config, std::function<Clock::time_point()> clock)
    : clock_(std::move(clock)), config_(std::move(config))
{
}

PrinterConfig SimDevice::Config() const
{
    std::lock_guard lock(mutex_);
    return config_;
}

std::string SimDevice::Name() const
{
    std::lock_guard lock(mutex_);
    return config_.name;
}

EndpointFaults SimDevice::FaultsOf(Endpoint endpoint) const
{
    std::lock_guard lock(mutex_);
    return config_.FaultsOf(endpoint);
}

bool SimDevice::Apply(const std::string& key, const std::string& value, std::string& error)
{
    std::lock_guard lock(mutex_);
    // The identity of a running printer is fixed: listeners are bound to it.
    if (key == "address" || key == "usb" || key == "quill-endpoint") {
        error = "'" + key + "' cannot change while the printer runs";
        return false;
    }
    return ApplySetting(config_, key, value, error);
}

HttpResponse SimDevice::HandleHttp(const HttpRequest& request)
{
    std::lock_guard lock(mutex_);
    PushBounded(received_.httpRequests, request.method + " " + request.target + " " + request.version,
                kMaxLoggedRequests);
    if (config_.protocol != Protocol::Sable)
        return NotFound(request.target);

    std::string path = request.target.substr(0, request.target.find('?'));
    struct Resource {
        const char* path;
        std::string (*document)(const PrinterConfig&);
    };
    static const Resource resources[] = {
        {"/DevMgmt/ProductConfigDyn.xml", ProductConfigDocument},
        {"/DevMgmt/ConsumableConfigDyn.xml", ConsumableConfigDocument},
        {"/DevMgmt/ProductUsageDyn.xml", ProductUsageDocument},
        {"/IoMgmt/Adapters", AdaptersDocument},
        {"/DevMgmt/ProductStatusDyn.xml", ProductStatusDocument},
    };
    for (const Resource& resource : resources) {
        if (path != resource.path)
            continue;
        if (request.method != "GET")
            return Status(405, "Method Not Allowed");
        return XmlResponse(resource.document(config_));
    }

    if (path == kInternalPrintPath || path == kCalibrationPath) {
        if (request.method != "POST")
            return Status(405, "Method Not Allowed");
        bool calibration = path == kCalibrationPath;
        std::string jobType = calibration ? std::string() : ElementText(request.body, "JobType");
        bool valid = calibration ? request.body.find("CalibrationState") != std::string::npos : true;
        if (config_.strictJobs) {
            std::string error;
            std::optional<std::string> read = ReadJobPost(request, calibration, error);
            jobType = read.value_or(std::string());
            valid = read.has_value();
        }
        valid = valid && (calibration ||
                          std::find(std::begin(kJobTypes), std::end(kJobTypes), jobType) != std::end(kJobTypes));
        PushBounded(received_.jobPosts, JobPost{path, jobType, request.body}, kMaxLoggedPosts);
        if (!valid)
            return Status(400, "Bad Request");
        SimJob job;
        job.id = nextJobId_++;
        job.kind = calibration ? "calibration" : jobType;
        job.path = kJobListPath + std::to_string(job.id);
        job.started = clock_();
        job.runMs = config_.jobDelayMs;
        job.finalState = config_.jobFinalState;
        PushBounded(jobs_, job, kMaxJobs);
        HttpResponse response;
        response.status = 201;
        response.reason = "Created";
        std::string origin = config_.usb ? std::string() : "http://" + config_.address + ":" + std::to_string(config_.httpPort);
        response.headers = {{"Location", origin + job.path}, {"Connection", "close"}};
        return response;
    }

    if (path.starts_with(kJobListPath)) {
        for (const SimJob& job : jobs_) {
            if (job.path != path)
                continue;
            if (request.method != "GET")
                return Status(405, "Method Not Allowed");
            bool finished = clock_() - job.started >= std::chrono::milliseconds(job.runMs);
            return XmlResponse(JobDocument(job.path, job.kind, finished ? job.finalState : "processing"));
        }
    }
    return NotFound(request.target);
}

std::optional<std::vector<uint8_t>> SimDevice::HandleSnmp(const uint8_t* data, size_t size)
{
    std::lock_guard lock(mutex_);
    const EndpointFaults& faults = config_.FaultsOf(Endpoint::Snmp);
    if (faults.silence)
        return std::nullopt;
    if (faults.garbage) {
        std::string garbage = GarbageBytes(64);
        return std::vector<uint8_t>(garbage.begin(), garbage.end());
    }
    auto quill = BuildQuillObjects(config_);
    for (const auto& [id, value] : written_)
        quill[id] = value;
    SnmpAgentOptions options;
    options.wrongTypes = faults.wrongTypes;
    options.isWritable = [](const std::vector<uint32_t>& oid) { return IsWritableQuillId(OidToQuillId(oid)); };
    options.onSet = [this](const std::vector<uint32_t>& oid, const SnmpValue& value) {
        written_[OidToQuillId(oid)] = value;
        PushBounded(received_.snmpSets, SnmpSetRecord{SnmpOid{oid}.Format(), RenderValue(value)}, kMaxLoggedSets);
    };
    return AnswerSnmpDatagram(data, size, BuildSnmpObjects(config_, quill), options);
}

std::string SimDevice::DeviceId() const
{
    std::lock_guard lock(mutex_);
    return DeviceIdString(config_);
}

void SimDevice::RecordPrint(const uint8_t* data, size_t size, bool newJob)
{
    std::lock_guard lock(mutex_);
    if (newJob)
        ++received_.printJobs;
    size_t room = kMaxPrintBytes - std::min(kMaxPrintBytes, received_.printBytes.size());
    received_.printBytes.insert(received_.printBytes.end(), data, data + std::min(size, room));
}

QuillRead SimDevice::GetQuillObject(const std::vector<uint8_t>& quillId)
{
    std::lock_guard lock(mutex_);
    const EndpointFaults& faults = config_.FaultsOf(Endpoint::QuillWire);
    QuillRead read;
    if (faults.silence) {
        read.result = kQuillDeviceLost;
        return read;
    }
    std::string id = QuillBytesToDotted(quillId);
    if (id.empty()) {
        read.result = kQuillBadIdentifier;
        return read;
    }
    auto objects = BuildQuillObjects(config_, QuillCarrier::Usb);
    for (const auto& [writtenId, value] : written_)
        objects[writtenId] = value;
    auto found = objects.find(id);
    if (found == objects.end()) {
        read.result = kQuillUnknownObject;
        return read;
    }
    const SnmpValue& value = found->second;
    if (value.type == SnmpType::Integer) {
        read.type = faults.wrongTypes ? 3 : 1;
        read.value = LittleEndian(value.integer);
    } else if (value.type == SnmpType::OctetString) {
        read.type = faults.wrongTypes ? 1 : 4;
        read.value = faults.wrongTypes ? LittleEndian(0) : value.bytes;
    } else {
        read.type = 0; // no value the library knows how to carry
    }
    return read;
}

uint32_t SimDevice::SetQuillObject(const std::vector<uint8_t>& quillId, int32_t value)
{
    std::lock_guard lock(mutex_);
    if (config_.FaultsOf(Endpoint::QuillWire).silence)
        return kQuillDeviceLost;
    std::string id = QuillBytesToDotted(quillId);
    if (id.empty())
        return kQuillBadIdentifier;
    if (!IsWritableQuillId(id))
        return kQuillUnknownObject;
    written_[id] = SnmpValue::MakeInteger(value);
    PushBounded(received_.snmpSets, SnmpSetRecord{SnmpOid{QuillIdToOid(id)}.Format(), std::to_string(value)},
                kMaxLoggedSets);
    return 0;
}

ReceivedLog SimDevice::Received() const
{
    std::lock_guard lock(mutex_);
    return received_;
}

void SimDevice::ClearReceived()
{
    std::lock_guard lock(mutex_);
    received_ = {};
}

} // namespace sim
