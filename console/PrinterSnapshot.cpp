#include "console/PrinterSnapshot.h"

#include <array>
#include <utility>

#include "components/diagcore/ProbeMessages.h"
#include "support/Utf8.h"

namespace {

using Reach = PrinterSnapshot::Reach;

constexpr std::array<std::pair<Reach, const char*>, 6> kReachNames = {{
    {Reach::Answered, "answered"},
    {Reach::NotAnswering, "notAnswering"},
    {Reach::UnexpectedAnswer, "unexpectedAnswer"},
    {Reach::UnknownPrinter, "unknownPrinter"},
    {Reach::NotSupported, "notSupported"},
    {Reach::Failed, "failed"},
}};

constexpr char kColourKeyPrefix[] = "TSY_COLOR_";

std::string Escape(const std::wstring& text)
{
    std::string out;
    for (char c : ToUtf8(text)) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

std::wstring Unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return diagcore::WidenDeviceText(out);
}

std::vector<std::string> Split(const std::string& line)
{
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == '\t')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

std::optional<int64_t> Number(const std::string& text)
{
    if (text.empty() || text.size() > 18)
        return std::nullopt;
    int64_t value = 0;
    size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size())
        return std::nullopt;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return text[0] == '-' ? -value : value;
}

std::string Narrow(const std::wstring& text)
{
    return ToUtf8(text);
}

} // namespace

const char* ReachName(Reach reach)
{
    for (const auto& [candidate, name] : kReachNames)
        if (candidate == reach)
            return name;
    return "failed";
}

std::string ColourId(const std::wstring& keyOrName)
{
    std::string text = Narrow(keyOrName);
    if (text.rfind(kColourKeyPrefix, 0) == 0)
        text.erase(0, sizeof kColourKeyPrefix - 1);
    std::string id;
    for (char c : text) {
        const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (alnum)
            id += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        else if (!id.empty() && id.back() != '_')
            id += '_';
    }
    while (!id.empty() && id.back() == '_')
        id.pop_back();
    return id.empty() ? "unknown" : id;
}

int32_t InkLevelPercent(const std::wstring& text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == L' ')
        ++i;
    int32_t value = 0;
    size_t digits = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9' && digits < 4; ++i, ++digits)
        value = value * 10 + (text[i] - L'0');
    if (i < text.size() && text[i] == L'%')
        ++i;
    while (i < text.size() && text[i] == L' ')
        ++i;
    if (digits == 0 || i != text.size() || value > 100)
        return -1;
    return value;
}

std::string SerializeSnapshot(const PrinterSnapshot& s)
{
    auto line = [](const char* key, const std::string& value) { return std::string(key) + '\t' + value + '\n'; };
    std::string out = line("kelo-snapshot", "1");
    out += line("printer", Escape(s.printer));
    out += line("address", Escape(s.address));
    out += line("reach", ReachName(s.reach));
    out += line("model", Escape(s.model));
    out += line("serial", Escape(s.serialNumber));
    out += line("firmware", Escape(s.firmware));
    out += line("pages", std::to_string(s.pageCount));
    out += line("status", std::string(s.statusRead ? "1" : "0") + '\t' + (s.statusPassed ? "1" : "0") + '\t' +
                              std::to_string(s.statusCode) + '\t' + (s.adf ? "1" : "0") + '\t' +
                              Escape(s.statusText));
    for (const InkSnapshot& ink : s.inks)
        out += line("ink", ink.colour + '\t' + Escape(ink.name) + '\t' + std::to_string(ink.level));
    return out + line("end", "");
}

std::optional<PrinterSnapshot> ParseSnapshot(const std::string& text)
{
    PrinterSnapshot s;
    bool started = false;
    bool ended = false;
    size_t begin = 0;
    while (begin < text.size() && !ended) {
        size_t end = text.find('\n', begin);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(begin, end - begin);
        begin = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::vector<std::string> f = Split(line);
        const std::string& key = f[0];
        if (!started) {
            started = key == "kelo-snapshot" && f.size() == 2 && f[1] == "1";
            if (!started)
                return std::nullopt;
            continue;
        }
        if (key == "end") {
            ended = true;
        } else if (key == "status" && f.size() == 6) {
            const auto code = Number(f[3]);
            if (!code)
                return std::nullopt;
            s.statusRead = f[1] == "1";
            s.statusPassed = f[2] == "1";
            s.statusCode = static_cast<int32_t>(*code);
            s.adf = f[4] == "1";
            s.statusText = Unescape(f[5]);
        } else if (key == "ink" && f.size() == 4) {
            const auto level = Number(f[3]);
            if (!level || *level < -1 || *level > 100)
                return std::nullopt;
            s.inks.push_back({f[1], Unescape(f[2]), static_cast<int32_t>(*level)});
        } else if (key == "reach" && f.size() == 2) {
            bool known = false;
            for (const auto& [reach, name] : kReachNames)
                if (f[1] == name) {
                    s.reach = reach;
                    known = true;
                }
            if (!known)
                return std::nullopt;
        } else if (key == "pages" && f.size() == 2) {
            const auto pages = Number(f[1]);
            if (!pages)
                return std::nullopt;
            s.pageCount = *pages;
        } else if (f.size() == 2) {
            std::wstring* field = key == "printer"    ? &s.printer
                                  : key == "address"  ? &s.address
                                  : key == "model"    ? &s.model
                                  : key == "serial"   ? &s.serialNumber
                                  : key == "firmware" ? &s.firmware
                                                      : nullptr;
            if (field == nullptr)
                return std::nullopt;
            *field = Unescape(f[1]);
        } else {
            return std::nullopt;
        }
    }
    if (!ended)
        return std::nullopt; // a worker cut off mid-record
    return s;
}
