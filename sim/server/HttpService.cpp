#include "sim/server/HttpService.h"

#include <cctype>

#include "sim/ResponsePlan.h"
#include "sim/server/Log.h"

namespace sim::server {
namespace {

bool ContainsToken(std::string text, const std::string& token)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text.find(token) != std::string::npos;
}

bool ClientWantsClose(const HttpRequest& request)
{
    std::string connection = request.Header("Connection");
    if (request.version == "HTTP/1.0")
        return !ContainsToken(connection, "keep-alive");
    return ContainsToken(connection, "close");
}

bool HasCloseHeader(const HttpResponse& response)
{
    for (const auto& [name, value] : response.headers)
        if (ContainsToken(name, "connection") && ContainsToken(value, "close"))
            return true;
    return false;
}

std::string FaultNote(const EndpointFaults& faults)
{
    std::string note;
    auto add = [&](bool on, const char* name) {
        if (on)
            note += std::string(note.empty() ? " [" : " ") + name;
    };
    add(faults.delayMs != 0, ("delay=" + std::to_string(faults.delayMs)).c_str());
    add(faults.silence, "silence");
    add(faults.garbage, "garbage");
    add(faults.oversized, "oversized");
    add(faults.endless, "endless");
    add(faults.disconnect, "disconnect");
    add(faults.chunked, "chunked");
    return note.empty() ? note : note + "]";
}

// Sends one answer; false when the connection ends with it.
bool Answer(Connection& connection, const std::string& label, const HttpRequest& request,
            const HttpResponder& respond)
{
    HttpReply reply = respond(request);
    bool close = ClientWantsClose(request) || HasCloseHeader(reply.response);
    if (close && !HasCloseHeader(reply.response))
        reply.response.headers.emplace_back("Connection", "close");
    LogLine("[" + label + "] " + connection.Peer() + " " + request.method + " " + request.target + " -> " +
            std::to_string(reply.response.status) + " (" + std::to_string(reply.response.body.size()) +
            " bytes)" + FaultNote(reply.faults));

    ResponsePlan plan = PlanResponse(reply.response, reply.faults);
    if (!connection.Pause(plan.delayMs))
        return false;
    if (plan.silent) {
        connection.HoldOpen(true);
        return false;
    }
    for (const std::string& piece : plan.pieces)
        if (!connection.Send(piece))
            return false;
    if (reply.afterSent)
        reply.afterSent();
    if (plan.endless) {
        while (connection.Send(EndlessPiece())) {
        }
        return false;
    }
    // Garbage has no framing: only the close tells the client where it ends.
    return !(plan.closeEarly || reply.faults.garbage || close);
}

} // namespace

HttpResponse TextResponse(int status, const std::string& reason, const std::string& body,
                          const std::string& contentType)
{
    HttpResponse response;
    response.status = status;
    response.reason = reason;
    response.headers = {{"Content-Type", contentType}};
    response.body = body;
    return response;
}

void ServeHttp(Connection& connection, const std::string& label, const HttpResponder& respond)
{
    HttpRequestParser parser;
    char buffer[16 * 1024];
    auto deadline = connection.IdleDeadline();
    bool requestStarted = false;
    for (;;) {
        Connection::ReadEnd end{};
        size_t count = connection.Read(buffer, sizeof buffer, deadline, end);
        if (count == 0) {
            if (end == Connection::ReadEnd::TimedOut && requestStarted)
                LogLine("[" + label + "] " + connection.Peer() + " request not complete in time, closing");
            return;
        }
        if (!requestStarted) {
            // From its first byte a request has one I/O time-out to arrive: trickles end too.
            requestStarted = true;
            deadline = connection.IdleDeadline();
        }
        auto state = parser.Feed(buffer, count);
        while (state == HttpRequestParser::State::Complete) {
            HttpRequest request = parser.TakeRequest();
            if (!Answer(connection, label, request, respond))
                return;
            requestStarted = false;
            deadline = connection.IdleDeadline();
            state = parser.CurrentState();
        }
        if (state == HttpRequestParser::State::Error) {
            LogLine("[" + label + "] " + connection.Peer() + " bad request: " + parser.Error());
            HttpResponse refused = TextResponse(400, "Bad Request",
                                                "<html><body><h1>Bad Request</h1></body></html>", "text/html");
            refused.headers.emplace_back("Connection", "close");
            if (connection.Send(SerializeResponse(refused, false)))
                connection.LingeringClose();
            return;
        }
    }
}

} // namespace sim::server
