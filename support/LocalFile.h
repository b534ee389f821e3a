#pragma once
// Checks on a file the tool reads beside itself before a parser sees it: a missing, empty or
// oversized file gets a plain reason instead of a parse (a 100 MB file would stall the parser).
#include <cstdint>
#include <string>

// The most any XML file of ours (string table, catalogue, link hosts) may hold; the largest
// shipped one is far below this.
inline constexpr int64_t kMaxLocalXmlBytes = 4 * 1024 * 1024;

// Why `path` cannot be used ("missing", "empty", "too large ..."); empty when it may be read.
std::wstring LocalFileProblem(const std::wstring& path, int64_t maxBytes);
