#pragma once
// A printer's management objects: the Quill objects (under the maker's enterprise arc over
// SNMP, by byte id over USB) and the standard objects the tool and common SNMP tools read.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "quill/SnmpCodec.h"
#include "sim/PrinterConfig.h"

namespace sim {

inline constexpr char kQuillSnmpPrefix[] = "1.3.6.1.4.1.48213.2.3.9.4.2";
inline constexpr char kDeviceIdOid[] = "1.3.6.1.4.1.48213.2.3.9.1.1.7.0";
inline constexpr char kModelNameOid[] = "1.3.6.1.2.1.25.3.2.1.3.1";

// Quill ids a host may write: the service command and the cleaning command.
inline constexpr char kServiceCommandId[] = "1.1.5.2";
inline constexpr char kCleaningCommandId[] = "1.4.1.5.1.1";

// The two ways Quill objects travel: SNMP over the network, the device library over USB.
enum class QuillCarrier { Snmp, Usb };

// The Quill objects by dotted Quill id, as `carrier` types them: strings as OCTET STRINGs with a
// two-byte prefix, numbers as INTEGERs; the colour codes and the feeder status as big-endian
// octets (so they read as hexadecimal digits) or as integers, and the printheads' health and
// warranty as strings or integers, as the printer's settings for that carrier say. Scenario
// overrides applied.
std::map<std::string, SnmpValue> BuildQuillObjects(const PrinterConfig& printer,
                                                   QuillCarrier carrier = QuillCarrier::Snmp);

// Every object the SNMP agent serves, ordered by identifier (for GETNEXT).
std::map<std::vector<uint32_t>, SnmpValue> BuildSnmpObjects(const PrinterConfig& printer,
                                                            const std::map<std::string, SnmpValue>& quillObjects);

// "1.1.3.3" -> 1.3.6.1.4.1.48213.2.3.9.4.2.1.1.3.3.0; no value for anything else.
std::vector<uint32_t> QuillIdToOid(const std::string& dottedQuillId);
// The reverse; empty when the identifier is not a Quill object.
std::string OidToQuillId(const std::vector<uint32_t>& oid);
// Quill byte form (without the final zero) to dotted text; empty when a byte is 0.
std::string QuillBytesToDotted(const std::vector<uint8_t>& bytes);

// A Quill string: the two prefix bytes, then the text.
std::vector<uint8_t> QuillString(const std::string& text);

// The IEEE 1284 identification, with the status field carrying `statusCode` as its ninth
// pair of hexadecimal digits.
std::string DeviceIdString(const PrinterConfig& printer);

} // namespace sim
