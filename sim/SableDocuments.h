#pragma once
// The Sable resources a printer serves, generated from its configuration the way a device
// writes them: declaration, namespace declarations bound to the usual prefixes, the
// elements the tool reads and some it does not.
#include <optional>
#include <string>
#include <string_view>

#include "sim/HttpMessage.h"
#include "sim/PrinterConfig.h"

namespace sim {

std::string ProductConfigDocument(const PrinterConfig& printer);
std::string ConsumableConfigDocument(const PrinterConfig& printer);
std::string ProductUsageDocument(const PrinterConfig& printer);
std::string AdaptersDocument(const PrinterConfig& printer);
std::string ProductStatusDocument(const PrinterConfig& printer);
std::string JobDocument(const std::string& jobPath, const std::string& kind, const std::string& state);

// The namespaces of the documents a printer takes as jobs.
inline constexpr char kInternalPrintNamespace[] =
    "http://schemas.kelo.example/schemas/imaging/con/sable/internalprintdyn/2008/03/21";
inline constexpr char kCalibrationNamespace[] =
    "http://schemas.kelo.example/schemas/imaging/con/cnx/markingagentcalibration/2009/04/08";

// A job post read as a printer's parser reads it: a text/xml or application/xml body that is
// well-formed XML whose root is InternalPrintDyn with one JobType element (or, for a
// calibration session, CalibrationState with a state text) in the job's namespace. The job
// type (empty for a calibration), or nothing with the reason in `error`.
std::optional<std::string> ReadJobPost(const HttpRequest& request, bool calibration, std::string& error);

// Text made safe as XML character data or attribute value.
std::string XmlEscape(std::string_view text);

// "20240312" as "2024-03-12"; anything else unchanged.
std::string IsoDate(const std::string& yyyymmdd);

} // namespace sim
