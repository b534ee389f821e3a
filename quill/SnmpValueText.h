#pragma once
// The text a reply value is shown as: what the Quill readers parse and what the log quotes.
#include <string>

#include "quill/SnmpCodec.h"

// At most this many characters (the session's result buffer holds them and a zero).
inline constexpr size_t kSnmpValueTextMax = 255;

// Integers in decimal, octet strings as text while printable and otherwise as dash-separated
// upper-case hexadecimal (at most 85 bytes), addresses as dotted bytes, TimeTicks as
// "days,h:m:s.hundredths", NULL and the SNMPv2 exceptions as the empty text.
std::string SnmpValueToText(const SnmpValue& value);
