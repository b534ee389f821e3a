#include "sim/server/Log.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace sim::server {
namespace {

std::atomic<bool> quietLog{false};
std::mutex logMutex;

} // namespace

void SetQuiet(bool quiet)
{
    quietLog = quiet;
}

void LogLine(const std::string& line)
{
    if (!quietLog)
        LogAlways(line);
}

void LogAlways(const std::string& line)
{
    std::lock_guard lock(logMutex);
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

} // namespace sim::server
