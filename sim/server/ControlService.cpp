#include "sim/server/ControlService.h"

#include <cctype>

namespace sim::server {
namespace {

constexpr char kHelp[] =
    "kelo-printer-sim control interface\n"
    "GET  /printers                          one line per printer: name, where, protocol, pid, model\n"
    "POST /printers/NAME/settings            body: scenario lines 'key = value'; all or nothing\n"
    "GET  /printers/NAME/device-id           the IEEE 1284 identification, status field included\n"
    "GET  /printers/NAME/received            counts of what arrived\n"
    "GET  /printers/NAME/received/print      the raw sink's bytes, jobs concatenated\n"
    "GET  /printers/NAME/received/sets       SNMP and Quill wire SETs: OID<TAB>value\n"
    "GET  /printers/NAME/received/jobs       job posts: path<TAB>job type<TAB>body bytes\n"
    "GET  /printers/NAME/received/jobs/N     the body of job post N (from 1)\n"
    "GET  /printers/NAME/received/requests   HTTP request lines\n"
    "POST /printers/NAME/clear               forget what was received\n"
    "POST /stop                              stop the simulator\n";

std::string Trim(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string PercentDecode(const std::string& text)
{
    std::string decoded;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
            decoded += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

HttpReply Text(int status, const std::string& reason, const std::string& body)
{
    return {TextResponse(status, reason, body), {}, {}};
}

HttpReply Ok(const std::string& body)
{
    return Text(200, "OK", body);
}

HttpReply NotFoundText(const std::string& what)
{
    return Text(404, "Not Found", what + "\n");
}

HttpReply WrongMethod(const std::string& allowed)
{
    HttpReply reply = Text(405, "Method Not Allowed", "use " + allowed + "\n");
    reply.response.headers.emplace_back("Allow", allowed);
    return reply;
}

std::string ProtocolName(Protocol protocol)
{
    return protocol == Protocol::Sable ? "sable" : "quill";
}

} // namespace

bool IsStartupOnlyKey(const std::string& key)
{
    return key == "address" || key == "usb" || key == "quill-endpoint";
}

ControlService::ControlService(std::vector<ControlledPrinter> printers, StopSignal& stop)
    : printers_(std::move(printers)), stop_(stop)
{
}

ControlledPrinter* ControlService::Find(const std::string& name)
{
    for (ControlledPrinter& printer : printers_)
        if (printer.device->Name() == name)
            return &printer;
    return nullptr;
}

HttpReply ControlService::Handle(const HttpRequest& request)
{
    std::string path = request.target.substr(0, request.target.find('?'));
    if (path == "/" || path == "/help")
        return Ok(kHelp);
    if (path == "/stop") {
        if (request.method != "POST")
            return WrongMethod("POST");
        HttpReply reply = Ok("stopping\n");
        reply.afterSent = [this] { stop_.Trigger(); };
        return reply;
    }
    if (path == "/printers" || path == "/printers/") {
        std::string body;
        for (const ControlledPrinter& printer : printers_) {
            PrinterConfig config = printer.device->Config();
            body += config.name + "\t" + printer.where + "\t" + ProtocolName(config.protocol) + "\t" +
                    config.productId + "\t" + config.model + "\n";
        }
        return Ok(body);
    }
    const std::string prefix = "/printers/";
    if (!path.starts_with(prefix))
        return NotFoundText("no such control path; GET / lists them");
    std::string rest = path.substr(prefix.size());
    size_t slash = rest.find('/');
    std::string name = PercentDecode(rest.substr(0, slash));
    ControlledPrinter* printer = Find(name);
    if (printer == nullptr)
        return NotFoundText("no printer named '" + name + "'");
    return HandlePrinter(request, *printer, slash == std::string::npos ? std::string() : rest.substr(slash));
}

HttpReply ControlService::HandlePrinter(const HttpRequest& request, ControlledPrinter& printer,
                                        const std::string& rest)
{
    SimDevice& device = *printer.device;
    if (rest == "/settings")
        return request.method == "POST" ? ApplySettings(printer, request.body) : WrongMethod("POST");
    if (rest == "/clear") {
        if (request.method != "POST")
            return WrongMethod("POST");
        device.ClearReceived();
        return Ok("cleared\n");
    }
    if (request.method != "GET")
        return WrongMethod("GET");
    if (rest == "/device-id")
        return Ok(device.DeviceId() + "\n");

    ReceivedLog received = device.Received();
    if (rest == "/received") {
        return Ok("print-jobs " + std::to_string(received.printJobs) + "\nprint-bytes " +
                  std::to_string(received.printBytes.size()) + "\nsets " + std::to_string(received.snmpSets.size()) +
                  "\njob-posts " + std::to_string(received.jobPosts.size()) + "\nhttp-requests " +
                  std::to_string(received.httpRequests.size()) + "\n");
    }
    if (rest == "/received/print") {
        HttpReply reply = Ok(std::string(received.printBytes.begin(), received.printBytes.end()));
        reply.response.headers = {{"Content-Type", "application/octet-stream"}};
        return reply;
    }
    std::string body;
    if (rest == "/received/sets") {
        for (const SnmpSetRecord& set : received.snmpSets)
            body += set.oid + "\t" + set.value + "\n";
        return Ok(body);
    }
    if (rest == "/received/jobs") {
        for (const JobPost& post : received.jobPosts)
            body += post.path + "\t" + post.jobType + "\t" + std::to_string(post.body.size()) + "\n";
        return Ok(body);
    }
    if (rest == "/received/requests") {
        for (const std::string& line : received.httpRequests)
            body += line + "\n";
        return Ok(body);
    }
    const std::string jobPrefix = "/received/jobs/";
    if (rest.starts_with(jobPrefix)) {
        std::string number = rest.substr(jobPrefix.size());
        size_t index = 0;
        bool digits = !number.empty() && number.size() < 9 &&
                      number.find_first_not_of("0123456789") == std::string::npos;
        if (digits)
            index = std::stoul(number);
        if (!digits || index == 0 || index > received.jobPosts.size())
            return NotFoundText("no job post " + number);
        HttpReply reply = Ok(received.jobPosts[index - 1].body);
        reply.response.headers = {{"Content-Type", "application/xml"}};
        return reply;
    }
    return NotFoundText("no such control path; GET / lists them");
}

HttpReply ControlService::ApplySettings(ControlledPrinter& printer, const std::string& body)
{
    // Checked on a copy first, so a bad line leaves the printer as it was.
    std::vector<std::pair<std::string, std::string>> settings;
    PrinterConfig trial = printer.device->Config();
    size_t lineNumber = 0;
    size_t start = 0;
    while (start < body.size()) {
        size_t end = body.find('\n', start);
        std::string line = Trim(body.substr(start, end == std::string::npos ? std::string::npos : end - start));
        start = end == std::string::npos ? body.size() : end + 1;
        ++lineNumber;
        if (line.empty() || line[0] == '#')
            continue;
        size_t equals = line.find('=');
        std::string where = "line " + std::to_string(lineNumber) + ": ";
        if (equals == std::string::npos)
            return Text(400, "Bad Request", where + "expected key = value\n");
        std::string key = Trim(line.substr(0, equals));
        std::string value = Trim(line.substr(equals + 1));
        if (IsStartupOnlyKey(key))
            return Text(400, "Bad Request", where + "'" + key + "' cannot change while running\n");
        std::string error;
        if (!ApplySetting(trial, key, value, error))
            return Text(400, "Bad Request", where + error + "\n");
        settings.emplace_back(key, value);
    }
    if (settings.empty())
        return Text(400, "Bad Request", "no settings in the body\n");
    for (const auto& [key, value] : settings) {
        std::string error;
        if (!printer.device->Apply(key, value, error))
            return Text(400, "Bad Request", key + ": " + error + "\n");
    }
    if (printer.settingsChanged)
        printer.settingsChanged();
    return Ok("applied " + std::to_string(settings.size()) + " setting" + (settings.size() == 1 ? "" : "s") + "\n");
}

} // namespace sim::server
