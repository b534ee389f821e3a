#pragma once
// The running simulator's control interface (its ready file is named by KELO_SABLE_SIM_READY).
#include <windows.h>
#include <wininet.h>

#include <string>

class SimControl {
public:
    SimControl();
    bool Ready() const { return !host_.empty(); }
    // The body of a GET, empty on failure.
    std::string Get(const std::string& path) const;
    // True for a 200 answer.
    bool Post(const std::string& path, const std::string& body) const;
    bool Settings(const std::string& printer, const std::string& lines) const
    {
        return Post("/printers/" + printer + "/settings", lines);
    }
    // One count ("print-jobs", "sets", "http-requests"...) of what the printer received; -1 if unknown.
    int Count(const std::string& printer, const std::string& name) const;
    int HttpRequests(const std::string& printer) const { return Count(printer, "http-requests"); }

private:
    std::string Exchange(const char* verb, const std::string& path, const std::string& body, DWORD& status) const;

    std::string host_;
    INTERNET_PORT port_ = 0;
};
