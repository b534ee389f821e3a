// kelo-printer-sim: hosts the printers of a scenario on loopback until Ctrl+C, SIGTERM or
// POST /stop on the control interface.
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>

#include "sim/Scenario.h"
#include "sim/server/Log.h"
#include "sim/server/SimServer.h"

namespace {

using namespace sim::server;

constexpr char kUsage[] =
    "usage: kelo-printer-sim --scenario FILE [--control 127.0.0.1:PORT] [--http-port N] [--snmp-port N]\n"
    "                        [--raw-port N] [--ready-file PATH] [--io-timeout-ms N] [--max-connections N]\n"
    "                        [--namespace-network A.B.C.D/N] [--quiet]\n";

struct Arguments {
    std::string scenarioPath;
    std::string readyFile;
    bool quiet = false;
    sim::NamespaceNetwork namespaceNetwork;
    ServerOptions server;
};

bool ParseUnsigned(const std::string& text, unsigned long maximum, unsigned long& out)
{
    auto parsed = std::from_chars(text.data(), text.data() + text.size(), out);
    return !text.empty() && parsed.ec == std::errc() && parsed.ptr == text.data() + text.size() && out <= maximum;
}

bool ParseArguments(int argc, char** argv, Arguments& args, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--quiet") {
            args.quiet = true;
            continue;
        }
        if (option == "--help" || option == "-h") {
            error = "";
            return false;
        }
        if (i + 1 >= argc) {
            error = option + " needs a value";
            return false;
        }
        std::string value = argv[++i];
        unsigned long number = 0;
        auto port = [&](uint16_t& out) {
            if (!ParseUnsigned(value, 65535, number))
                return false;
            out = static_cast<uint16_t>(number);
            return true;
        };
        auto positive = [&](unsigned& out) {
            if (!ParseUnsigned(value, 3'600'000, number) || number == 0)
                return false;
            out = static_cast<unsigned>(number);
            return true;
        };
        bool valid = true;
        if (option == "--scenario")
            args.scenarioPath = value;
        else if (option == "--ready-file")
            args.readyFile = value;
        else if (option == "--control")
            valid = ParseLoopbackEndpoint(value, args.server.control, error);
        else if (option == "--namespace-network")
            valid = sim::ParseIpv4Network(value, args.namespaceNetwork) &&
                    PermitNamespaceNetwork(args.namespaceNetwork, error);
        else if (option == "--http-port")
            valid = port(args.server.httpPort);
        else if (option == "--snmp-port")
            valid = port(args.server.snmpPort);
        else if (option == "--raw-port")
            valid = port(args.server.rawPort);
        else if (option == "--io-timeout-ms")
            valid = positive(args.server.limits.ioTimeoutMs);
        else if (option == "--max-connections")
            valid = positive(args.server.limits.maxConnections);
        else {
            error = "unknown option " + option;
            return false;
        }
        if (!valid) {
            if (error.empty())
                error = "bad value for " + option + ": " + value;
            return false;
        }
    }
    if (args.scenarioPath.empty()) {
        error = "--scenario is required";
        return false;
    }
    return true;
}

bool ReadFile(const std::string& path, std::string& text)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    std::ostringstream content;
    content << file.rdbuf();
    text = content.str();
    return true;
}

// Written whole under a temporary name first: a waiter never sees half a file.
bool WriteReadyFile(const std::string& path, const SocketAddress& control)
{
    std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::trunc);
        file << "control " << control.Text() << "\npid " << getpid() << "\n";
        if (!file.flush())
            return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    Arguments args;
    std::string error;
    if (!ParseArguments(argc, argv, args, error)) {
        if (!error.empty())
            std::cerr << "kelo-printer-sim: " << error << "\n";
        std::cerr << kUsage;
        return error.empty() ? 0 : 2;
    }
    SetQuiet(args.quiet);
    if (!args.readyFile.empty())
        std::remove(args.readyFile.c_str());

    std::string text;
    if (!ReadFile(args.scenarioPath, text)) {
        LogAlways("kelo-printer-sim: cannot read " + args.scenarioPath);
        return 1;
    }
    sim::Scenario scenario;
    if (!sim::ParseScenario(text, scenario, error, args.namespaceNetwork)) {
        LogAlways("kelo-printer-sim: " + args.scenarioPath + ": " + error);
        return 1;
    }

    // Signals arrive through a descriptor; no thread is ever interrupted by one.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    UniqueFd signalFd(signalfd(-1, &signals, SFD_CLOEXEC));

    {
        SimServer server(scenario, args.server);
        if (!server.Open(error)) {
            LogAlways("kelo-printer-sim: " + error);
            return 1;
        }
        server.Start();
        if (!args.readyFile.empty() && !WriteReadyFile(args.readyFile, server.ControlAddress())) {
            LogAlways("kelo-printer-sim: cannot write " + args.readyFile);
            return 1;
        }
        std::cout << "ready: " << server.PrinterCount() << " printers, control http://"
                  << server.ControlAddress().Text() << "/" << std::endl;

        pollfd fds[2] = {{signalFd.Get(), POLLIN, 0}, {server.Stopper().Fd(), POLLIN, 0}};
        while (poll(fds, 2, -1) < 0 && errno == EINTR) {
        }
        if (fds[0].revents != 0) {
            signalfd_siginfo info{};
            [[maybe_unused]] ssize_t got = read(signalFd.Get(), &info, sizeof info);
            LogAlways("kelo-printer-sim: signal " + std::to_string(info.ssi_signo) + ", stopping");
        } else {
            LogAlways("kelo-printer-sim: stopped through the control interface");
        }
        server.Stop();
    }
    if (!args.readyFile.empty())
        std::remove(args.readyFile.c_str());
    return 0;
}
