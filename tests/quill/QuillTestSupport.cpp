#include "QuillTestSupport.h"

#include <winsock2.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "TestFolder.h"
#include "app/KeloTessalyApp.h"

namespace {

std::string EnvironmentText(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string ReadUnixFile(const std::string& unixPath)
{
    return ReadWholeFile(WinePathOf(unixPath));
}

} // namespace

ProductStrings::ProductStrings()
{
    static TestFolder folder; // outlives every test of the program
    folder.Write(L"strings\\1033.xml", ReadUnixFile(EnvironmentText("KELO_SOURCE_DIR") + "/data/strings/1033.xml"));
    static FakeExecutableFolder fake(folder.Path());
    previous_ = NGWinApi::Replace(static_cast<NGWinApi::CKernelApi*>(&fake));
    StringTable().SetLanguageId(1033);
    StringTable().SetLanguageFixed(true);
    StringTable().Load();
}

ProductStrings::~ProductStrings()
{
    NGWinApi::Replace(previous_);
}

std::wstring Text(const wchar_t* key)
{
    return StringTable().GetString(key);
}

SimControl::SimControl(const char* readyFileVariable)
{
    std::istringstream ready(ReadUnixFile(EnvironmentText(readyFileVariable)));
    for (std::string line; std::getline(ready, line);) {
        if (line.rfind("control ", 0) == 0) {
            const std::string address = line.substr(8);
            const size_t colon = address.rfind(':');
            host_ = address.substr(0, colon);
            port_ = static_cast<USHORT>(std::stoi(address.substr(colon + 1)));
        }
    }
}

std::string SimControl::Request(const std::string& method, const std::string& path, const std::string& body,
                                int* status) const
{
    if (status != nullptr)
        *status = 0;
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port_);
    to.sin_addr.s_addr = ::inet_addr(host_.c_str());
    std::string answer;
    if (::connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) {
        const std::string request = method + " " + path + " HTTP/1.1\r\nHost: " + host_ +
                                    "\r\nConnection: close\r\nContent-Length: " + std::to_string(body.size()) +
                                    "\r\n\r\n" + body;
        ::send(s, request.data(), static_cast<int>(request.size()), 0);
        char buffer[4096];
        for (int n; (n = ::recv(s, buffer, sizeof buffer, 0)) > 0;)
            answer.append(buffer, static_cast<size_t>(n));
    }
    ::closesocket(s);
    ::WSACleanup();
    const size_t headEnd = answer.find("\r\n\r\n");
    if (headEnd == std::string::npos)
        return {};
    if (status != nullptr && answer.size() > 12)
        *status = std::atoi(answer.c_str() + 9);
    return answer.substr(headEnd + 4);
}

bool SimControl::Apply(const std::string& printer, const std::string& settings) const
{
    int status = 0;
    Request("POST", "/printers/" + printer + "/settings", settings, &status);
    return status == 200;
}

Device_Dev NetworkPrinter(const std::wstring& address)
{
    Device_Dev device;
    device.deviceName = L"Kelo Workline 6500 All-in-One";
    device.address = address;
    device.isNetwork = true;
    return device;
}

Device_Dev UsbPrinter(const std::wstring& queueName)
{
    Device_Dev device;
    device.deviceName = queueName;
    device.printerName = queueName;
    device.address = L"\\\\?\\usb#vid_0a7e&pid_9311#simulated";
    return device;
}
