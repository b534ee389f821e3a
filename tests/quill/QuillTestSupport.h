#pragma once
// Shared by the Quill manager tests: the product's strings loaded from the source tree, the
// simulator's control interface, the selected printer.
#include <windows.h>

#include <string>

#include "discovery/Device_Dev.h"
#include "winapi/NGWinApi.h"

// Loads data/strings/1033.xml (the source tree from KELO_SOURCE_DIR) as the application's
// string table; the fake executable folder stays in place for the life of the object.
class ProductStrings {
public:
    ProductStrings();
    ~ProductStrings();
    ProductStrings(const ProductStrings&) = delete;
    ProductStrings& operator=(const ProductStrings&) = delete;

private:
    std::wstring folder_;
    NGWinApi::CKernelApi* previous_ = nullptr;
};

std::wstring Text(const wchar_t* key);

// The control interface of the simulator whose ready file the environment variable names.
class SimControl {
public:
    explicit SimControl(const char* readyFileVariable);
    bool Ready() const { return port_ != 0; }
    // The answer body; empty with `status` 0 when the request failed.
    std::string Request(const std::string& method, const std::string& path, const std::string& body = "",
                        int* status = nullptr) const;
    // Applies scenario lines to a printer; false when refused.
    bool Apply(const std::string& printer, const std::string& settings) const;
    std::string Sets(const std::string& printer) const
    {
        return Request("GET", "/printers/" + printer + "/received/sets");
    }
    void Clear(const std::string& printer) const { Request("POST", "/printers/" + printer + "/clear"); }

private:
    std::string host_;
    USHORT port_ = 0;
};

// Printer records as the diagnosis manager would hand them to a Quill manager.
Device_Dev NetworkPrinter(const std::wstring& address);
Device_Dev UsbPrinter(const std::wstring& queueName);
