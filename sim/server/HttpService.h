#pragma once
// HTTP/1.1 connections of the Sable servers and of the control interface: requests parsed
// with the firm limits of sim::HttpRequestParser, answers framed and faulted through
// sim::PlanResponse, keep-alive, and one log line per request.
#include <functional>
#include <string>

#include "sim/HttpMessage.h"
#include "sim/PrinterConfig.h"
#include "sim/server/TcpListener.h"

namespace sim::server {

struct HttpReply {
    HttpResponse response;
    EndpointFaults faults;             // read for this request: settings change at run time
    std::function<void()> afterSent;   // runs once the answer is out (the control's stop)
};

using HttpResponder = std::function<HttpReply(const HttpRequest& request)>;

void ServeHttp(Connection& connection, const std::string& label, const HttpResponder& respond);

// A plain-text answer for the control interface and for refused requests.
HttpResponse TextResponse(int status, const std::string& reason, const std::string& body,
                          const std::string& contentType = "text/plain; charset=utf-8");

} // namespace sim::server
