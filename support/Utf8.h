#pragma once
// UTF-8 encoding for text that leaves the program as bytes (JSON output, decoded XML entities).
#include <cstdint>
#include <string>

// Appends one code point; anything outside Unicode or a surrogate becomes U+FFFD.
void AppendUtf8(std::string& out, uint32_t codePoint);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(const std::wstring& text);
