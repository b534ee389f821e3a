#include "sable/UsbHttpFraming.h"
#include "support/DecimalText.h"

#include <cctype>
#include <climits>
#include <vector>

namespace sable {

namespace {

constexpr std::string_view kBlankLine = "\r\n\r\n";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

std::vector<std::string> SplitLines(std::string_view head)
{
    std::vector<std::string> lines;
    std::string line;
    for (char c : head) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

// A run of blanks ends one word; a blank at the very start ends an empty first word.
std::vector<std::string> SplitWords(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\r')
            continue;
        if (c == ' ') {
            if (!word.empty() || i == 0)
                words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

} // namespace

std::string BuildGetRequest(std::wstring_view resourcePath)
{
    std::string request = "GET ";
    for (wchar_t unit : resourcePath)
        request += static_cast<char>(static_cast<uint16_t>(unit) & 0xFF);
    request += " HTTP/1.1\r\nHOST: \r\n\r\n";
    return request;
}

bool ResponseHeadAccumulator::Add(std::string_view block)
{
    const size_t zero = block.find('\0');
    text_.append(block.substr(0, zero));
    blankLine_ = text_.find(kBlankLine);
    if (text_.find("HTTP") == std::string::npos) {
        text_.clear();
        blankLine_ = std::string::npos;
    }
    return Complete();
}

std::string ResponseHeadAccumulator::Head() const
{
    return Complete() ? text_.substr(0, blankLine_ + kBlankLine.size()) : text_;
}

std::string ResponseHeadAccumulator::Leftover() const
{
    return Complete() ? text_.substr(blankLine_ + kBlankLine.size()) : std::string();
}

uint64_t ParseHexPrefix(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    uint64_t value = 0;
    for (; i < text.size() && std::isxdigit(static_cast<unsigned char>(text[i])); ++i) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        const uint64_t digit = c <= '9' ? static_cast<uint64_t>(c - '0') : static_cast<uint64_t>(c - 'a' + 10);
        if (value > (UINT64_MAX >> 4))
            return UINT64_MAX;
        value = value * 16 + digit;
    }
    return value;
}

HeadVerdict ParseResponseHead(std::string_view head)
{
    HeadVerdict verdict;
    if (head.find("HTTP/1.1") == std::string_view::npos)
        return verdict;
    verdict.hasHttp11 = true;
    const size_t blank = head.find(kBlankLine);
    const std::vector<std::string> lines = SplitLines(head.substr(0, blank));
    size_t status = 0;
    while (status < lines.size() && lines[status].find("HTTP/1.1") == std::string::npos)
        ++status;
    if (status == lines.size())
        return verdict;
    const std::vector<std::string> words = SplitWords(lines[status]);
    if (words.size() != 3 || ParseDecimalPrefix(words[1]) != 200)
        return verdict;
    verdict.contentLength = -1;
    for (size_t i = status; i < lines.size(); ++i) {
        const size_t colon = lines[i].find(':');
        if (colon == std::string::npos || lines[i].compare(0, colon, "Content-Length") != 0)
            continue;
        const long value = ParseDecimalPrefix(std::string_view(lines[i]).substr(colon + 1));
        if (value != 0) {
            verdict.contentLength = static_cast<int32_t>(value < INT32_MIN ? INT32_MIN
                                                         : value > INT32_MAX ? INT32_MAX : value);
            break;
        }
    }
    return verdict;
}

ChunkDecoder::Result ChunkDecoder::Add(std::string_view bytes, bool mayContinue)
{
    Result result;
    std::string text = pending_ + std::string(bytes);
    pending_.clear();
    std::string_view rest(text);
    while (!finished_ && !rest.empty()) {
        if (expectSizeLine_) {
            if (skipChunkEnd_) {
                skipChunkEnd_ = false;
                if (rest.substr(0, 2) == "\r\n")
                    rest.remove_prefix(2);
                if (rest.empty())
                    break;
            }
            const size_t lineEnd = rest.find("\r\n");
            if (lineEnd == std::string_view::npos) {
                if (mayContinue)
                    pending_ = std::string(rest);
                else
                    finished_ = true;
                break;
            }
            chunkLeft_ = ParseHexPrefix(rest.substr(0, lineEnd));
            rest.remove_prefix(lineEnd + 2);
            expectSizeLine_ = false;
            if (chunkLeft_ == 0) {
                finished_ = true;
                break;
            }
        }
        const size_t take = chunkLeft_ < rest.size() ? static_cast<size_t>(chunkLeft_) : rest.size();
        result.data.append(rest.substr(0, take));
        rest.remove_prefix(take);
        chunkLeft_ -= take;
        if (chunkLeft_ == 0) {
            expectSizeLine_ = true;
            skipChunkEnd_ = true;
        }
    }
    result.finished = finished_;
    return result;
}

} // namespace sable
