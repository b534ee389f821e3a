#pragma once
// One line per request on stderr, whole lines even when many threads log at once.
#include <string>

namespace sim::server {

void SetQuiet(bool quiet);
void LogLine(const std::string& line);
// Always shown, quiet or not: start-up failures and the ready line.
void LogAlways(const std::string& line);

} // namespace sim::server
