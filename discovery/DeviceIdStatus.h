#pragma once
// The status code carried by an IEEE 1284 device identification ("...;S:<hex>;...").
#include <cstdint>
#include <string>
#include <string_view>

// The value of one "KEY:value" field; empty when the field is missing. A key matches only
// at the start of the text or right after a ";", so "S" does not match inside "CLS:".
std::wstring GetIdField(const std::wstring& key, const std::wstring& identification);

// The status code in a status field value: its ninth pair of hexadecimal digits, 0 when
// the field is too short, 6 (unknown condition) for anything above 61.
int32_t ParseStatusField(const std::wstring& value);

// The identification's status code.
int32_t StatusCodeFromIdentification(const std::wstring& identification);

// The identification bytes of a device's reply. A raw IEEE 1284 reply starts with a two-byte
// big-endian length; some drivers pass it on. Those two bytes are skipped when their value
// fits the reply (at least the text's length, at most the whole reply), which no text can
// begin with: its first byte would be a control character.
std::string_view IdentificationBytes(std::string_view reply);
