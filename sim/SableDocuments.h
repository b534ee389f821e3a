#pragma once
// The Sable resources a printer serves, generated from its configuration the way a device
// writes them: declaration, namespace declarations bound to the usual prefixes, the
// elements the tool reads and some it does not.
#include <string>
#include <string_view>

#include "sim/PrinterConfig.h"

namespace sim {

std::string ProductConfigDocument(const PrinterConfig& printer);
std::string ConsumableConfigDocument(const PrinterConfig& printer);
std::string ProductUsageDocument(const PrinterConfig& printer);
std::string AdaptersDocument(const PrinterConfig& printer);
std::string ProductStatusDocument(const PrinterConfig& printer);
std::string JobDocument(const std::string& jobPath, const std::string& kind, const std::string& state);

// Text made safe as XML character data or attribute value.
std::string XmlEscape(std::string_view text);

// "20240312" as "2024-03-12"; anything else unchanged.
std::string IsoDate(const std::string& yyyymmdd);

} // namespace sim
