#pragma once
// The simulator's control interface: plain HTTP on loopback so curl, scripts and the
// Windows tests' WinINet can list printers, change them while they run, read what they
// received and stop the simulator. Paths are listed by GET / and in sim/README.md.
#include <functional>
#include <string>
#include <vector>

#include "sim/SimDevice.h"
#include "sim/server/HttpService.h"
#include "sim/server/Net.h"

namespace sim::server {

struct ControlledPrinter {
    SimDevice* device = nullptr;
    std::string where;                     // "127.0.0.10", "usb" or "usb quill-wire 127.0.0.1:9170"
    std::function<void()> settingsChanged; // lets listeners follow faults such as refuse
};

class ControlService {
public:
    ControlService(std::vector<ControlledPrinter> printers, StopSignal& stop);
    HttpReply Handle(const HttpRequest& request);

private:
    HttpReply HandlePrinter(const HttpRequest& request, ControlledPrinter& printer, const std::string& rest);
    HttpReply ApplySettings(ControlledPrinter& printer, const std::string& body);
    ControlledPrinter* Find(const std::string& name);

    std::vector<ControlledPrinter> printers_;
    StopSignal& stop_;
};

// Keys that only make sense at start-up: where a printer listens.
bool IsStartupOnlyKey(const std::string& key);

} // namespace sim::server
