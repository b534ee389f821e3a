#include "SimControl.h"

#include <cstdlib>
#include <sstream>
#include <vector>

#include "TestFolder.h"
#include "winapi/Handles.h"

SimControl::SimControl()
{
    const char* ready = std::getenv("KELO_SABLE_SIM_READY");
    if (ready == nullptr)
        return;
    std::istringstream lines(ReadWholeFile(WinePathOf(ready)));
    std::string word;
    std::string address;
    while (lines >> word)
        if (word == "control" && lines >> address)
            break;
    const size_t colon = address.rfind(':');
    if (colon == std::string::npos)
        return;
    host_ = address.substr(0, colon);
    port_ = static_cast<INTERNET_PORT>(std::atoi(address.c_str() + colon + 1));
}

std::string SimControl::Exchange(const char* verb, const std::string& path, const std::string& body,
                                 DWORD& status) const
{
    status = 0;
    NGWinApi::UniqueInternetHandle session(::InternetOpenA("test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    NGWinApi::UniqueInternetHandle connection(::InternetConnectA(session.get(), host_.c_str(), port_, nullptr,
                                                                 nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    NGWinApi::UniqueInternetHandle request(::HttpOpenRequestA(connection.get(), verb, path.c_str(), nullptr,
                                                              nullptr, nullptr,
                                                              INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    std::string payload = body;
    if (!request || !::HttpSendRequestA(request.get(), nullptr, 0, payload.data(), static_cast<DWORD>(payload.size())))
        return {};
    DWORD size = sizeof(status);
    ::HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
    std::string answer;
    std::vector<char> block(4096);
    DWORD read = 0;
    while (::InternetReadFile(request.get(), block.data(), static_cast<DWORD>(block.size()), &read) && read > 0)
        answer.append(block.data(), read);
    return answer;
}

std::string SimControl::Get(const std::string& path) const
{
    DWORD status = 0;
    return Exchange("GET", path, "", status);
}

bool SimControl::Post(const std::string& path, const std::string& body) const
{
    DWORD status = 0;
    Exchange("POST", path, body, status);
    return status == 200;
}

int SimControl::Count(const std::string& printer, const std::string& name) const
{
    std::istringstream lines(Get("/printers/" + printer + "/received"));
    std::string word;
    int value = -1;
    while (lines >> word >> value)
        if (word == name)
            return value;
    return -1;
}
