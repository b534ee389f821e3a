#include "links/LinkRules.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "support/CatalogueRules.h"
#include "support/Utf8.h"

namespace
{

wchar_t AsciiUpper(wchar_t c)
{
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool EqualsIgnoringCase(const std::wstring& a, const std::wstring& b)
{
    return ToLower(a) == ToLower(b);
}

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

bool IsControl(wchar_t c)
{
    return c < 0x20 || c == 0x7F;
}

struct StatusRow
{
    long code;
    const wchar_t* text;
    const wchar_t* log;
};

// Texts as the portal tooling has always logged them, odd capitals and all.
constexpr std::array kStatusRows{
    StatusRow{204, L"No information to return", L"No information to return:"},
    StatusRow{300, L"The Server could not decide the return information",
              L"The Server could not decide the return information:"},
    StatusRow{305, L"Redirection to proxy", L"Redirection to proxy:"},
    StatusRow{400, L"Invalid request", L"Invalid request:"},
    StatusRow{401, L"Access Denied", L"Access Denied:"},
    StatusRow{402, L"Payment Required", L"Payment Required:"},
    StatusRow{403, L"Forbidden", L"Forbidden:"},
    StatusRow{404, L"Page not Found", L"Page Not Found:"},
    StatusRow{405, L"Method Not Allowed", L"Method Not Allowed:"},
    StatusRow{406, L"No response acceptable to client was found", L"No response acceptable to client was found:"},
    StatusRow{407, L"Proxy authentication required", L"Proxy authentication required:"},
    StatusRow{408, L"Request timed out", L"Request timed out:"},
    StatusRow{410, L"Page Not Found", L"Page Not Found:"},
    StatusRow{413, L"Requested entity too large", L"Requested entity too large:"},
    StatusRow{415, L"Unsupported media type", L"Unsupported media type:"},
    StatusRow{500, L"Internal server error.", L"Internal server error:"},
    StatusRow{501, L"Not supported", L"Not supported:"},
    StatusRow{502, L"Error response received from gateway", L"Error response received from gateway:"},
    StatusRow{503, L"Temporarily overloaded", L"Temporarily overloaded:"},
    StatusRow{504, L"Timed out waiting for gateway", L"Timed out waiting for gateway:"},
    StatusRow{505, L"HTTP Version not supported", L"HTTP Version not supported:"},
};

unsigned DefaultPort(LinkScheme scheme)
{
    switch (scheme)
    {
    case LinkScheme::Http: return 80;
    case LinkScheme::Https: return 443;
    case LinkScheme::Ftp: return 21;
    case LinkScheme::Other: break;
    }
    return 0;
}

bool IsSchemeChar(wchar_t c, bool first)
{
    const bool letter = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
    if (first)
        return letter;
    return letter || IsDigit(c) || c == L'+' || c == L'-' || c == L'.';
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Index of "://" after a well-formed scheme, or npos.
std::size_t SchemeEnd(const std::wstring& link)
{
    const auto colon = link.find(L"://");
    if (colon == std::wstring::npos || colon == 0)
        return std::wstring::npos;
    for (std::size_t i = 0; i < colon; ++i)
        if (!IsSchemeChar(link[i], i == 0))
            return std::wstring::npos;
    return colon;
}

bool IsReservedDeviceName(const std::wstring& base)
{
    static const std::array<std::wstring, 4> plain{L"con", L"prn", L"aux", L"nul"};
    const auto lower = ToLower(base);
    for (const auto& name : plain)
        if (lower == name)
            return true;
    return lower.size() == 4 && (StartsWith(lower, L"com") || StartsWith(lower, L"lpt")) && IsDigit(lower[3]);
}

} // namespace

HttpStatusOutcome MapHttpStatus(long statusCode)
{
    if (statusCode == 200)
        return {kLiveStatus, L"", false};
    if (statusCode == 301 || statusCode == 302 || statusCode == 303)
        return {L"", L"", true};
    for (const auto& row : kStatusRows)
        if (row.code == statusCode)
            return {row.text, row.log, false};
    return {L"Unknown Error", L"Unknown Error:", false};
}

long ParseStatusCode(const std::wstring& text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t'))
        ++i;
    long value = 0;
    // Status codes have three digits; more would only risk overflow.
    for (int digits = 0; i < text.size() && IsDigit(text[i]) && digits < 9; ++i, ++digits)
        value = value * 10 + (text[i] - L'0');
    return value;
}

std::wstring LinkLogLine(const std::wstring& message, const std::wstring& link)
{
    return message + L" " + link;
}

bool IsLiveStatus(const std::wstring& statusText)
{
    return EqualsIgnoringCase(statusText, kLiveStatus);
}

LinkParts SplitLink(const std::wstring& link)
{
    LinkParts parts;
    // A control character (say CR LF from a device's model name) would write its own request lines.
    for (auto c : link)
        if (IsControl(c))
            return parts;
    const auto schemeEnd = SchemeEnd(link);
    if (schemeEnd == std::wstring::npos)
        return parts;
    parts.schemeText = link.substr(0, schemeEnd);
    const auto lowerScheme = ToLower(parts.schemeText);
    parts.scheme = lowerScheme == L"http"    ? LinkScheme::Http
                   : lowerScheme == L"https" ? LinkScheme::Https
                   : lowerScheme == L"ftp"   ? LinkScheme::Ftp
                                             : LinkScheme::Other;

    const auto authorityStart = schemeEnd + 3;
    auto authorityEnd = link.find_first_of(L"/?#", authorityStart);
    if (authorityEnd == std::wstring::npos)
        authorityEnd = link.size();
    std::wstring authority = link.substr(authorityStart, authorityEnd - authorityStart);

    const auto at = authority.rfind(L'@');
    if (at != std::wstring::npos)
    {
        const std::wstring userInfo = authority.substr(0, at);
        const auto colon = userInfo.find(L':');
        parts.user = userInfo.substr(0, colon);
        if (colon != std::wstring::npos)
            parts.password = userInfo.substr(colon + 1);
        authority.erase(0, at + 1);
    }

    auto portColon = authority.rfind(L':');
    const auto bracket = authority.rfind(L']'); // IPv6 literal: its colons are not a port
    if (bracket != std::wstring::npos && portColon != std::wstring::npos && portColon < bracket)
        portColon = std::wstring::npos;
    if (portColon != std::wstring::npos)
    {
        const std::wstring portText = authority.substr(portColon + 1);
        if (portText.empty() || portText.size() > 5)
            return LinkParts{};
        for (auto c : portText)
            if (!IsDigit(c))
                return LinkParts{};
        const long port = ParseStatusCode(portText);
        if (port < 1 || port > 65535)
            return LinkParts{};
        parts.port = static_cast<unsigned>(port);
        parts.portWritten = true;
        authority.erase(portColon);
    }
    else
    {
        parts.port = DefaultPort(parts.scheme);
    }

    if (authority.empty())
        return LinkParts{};
    for (auto c : authority)
        if (IsControl(c) || c == L' ' || c == L'\t' || c == L'\\')
            return LinkParts{};
    parts.host = authority;

    parts.path = link.substr(authorityEnd);
    if (parts.path.empty() || parts.path[0] != L'/')
        parts.path.insert(0, L"/");
    parts.valid = true;
    return parts;
}

bool IsCheckableScheme(LinkScheme scheme)
{
    return scheme != LinkScheme::Other;
}

LinkRejection RejectLinkBeforeConnect(const std::wstring& link)
{
    const auto parts = SplitLink(link);
    if (parts.valid && IsCheckableScheme(parts.scheme))
        return {};
    return {true, L"Invalid Link", LinkLogLine(L"Invalid Link:", link)};
}

RequestFlags RequestFlagsFor(LinkScheme scheme)
{
    RequestFlags flags;
    if (scheme == LinkScheme::Http || scheme == LinkScheme::Https)
    {
        flags.reload = true;
        flags.existingConnection = true;
        flags.noCacheWrite = true;
        flags.noAutoRedirect = scheme == LinkScheme::Http;
        flags.ignoreRedirectToHttps = scheme == LinkScheme::Https;
    }
    return flags;
}

bool ExtractLocation(const std::wstring& rawHeaders, std::wstring& location)
{
    // Only a header line named Location counts: "Content-Location" must not.
    std::size_t lineStart = 0;
    while (lineStart < rawHeaders.size())
    {
        auto lineEnd = rawHeaders.find(L'\n', lineStart);
        if (lineEnd == std::wstring::npos)
            lineEnd = rawHeaders.size();
        std::wstring line = rawHeaders.substr(lineStart, lineEnd - lineStart);
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        const std::wstring name = L"location:";
        if (line.size() >= name.size() && EqualsIgnoringCase(line.substr(0, name.size()), name))
        {
            auto first = line.find_first_not_of(L" \t", name.size());
            auto last = line.find_last_not_of(L" \t");
            location = first == std::wstring::npos ? std::wstring{} : line.substr(first, last - first + 1);
            return true;
        }
        lineStart = lineEnd + 1;
    }
    return false;
}

std::wstring ResolveLocation(const std::wstring& location, const std::wstring& currentLink)
{
    if (SchemeEnd(location) != std::wstring::npos)
        return location;
    const auto current = SplitLink(currentLink);
    if (!current.valid)
        return location;
    // A bare server name would fail the split; keep the scheme and written port of the answering link.
    std::wstring base = current.schemeText + L"://" + current.host;
    if (current.portWritten)
        base += L":" + std::to_wstring(current.port);
    if (StartsWith(location, L"//"))
        return current.schemeText + L":" + location;
    if (location.empty() || location[0] != L'/')
        base += L"/";
    return base + location;
}

bool IsErrorPageLink(const std::wstring& link)
{
    return link.find(L"Error?") != std::wstring::npos;
}

RedirectDecision DecideRedirect(const std::wstring& rawHeaders, const std::wstring& currentLink)
{
    RedirectDecision decision;
    std::wstring location;
    if (!ExtractLocation(rawHeaders, location))
    {
        decision.statusText = L"Location not found";
        decision.logLine = L"Location not found.";
        return decision;
    }
    const auto next = ResolveLocation(location, currentLink);
    const auto parts = SplitLink(next);
    if (!parts.valid)
    {
        decision.statusText = L"Invalid Link";
        decision.logLine = LinkLogLine(L"Invalid Link:", next);
        return decision;
    }
    if (!IsCheckableScheme(parts.scheme))
    {
        decision.statusText = L"Invalid Service Type.";
        decision.logLine = LinkLogLine(L"Invalid Service Type:", next);
        return decision;
    }
    if (IsErrorPageLink(next))
    {
        decision.statusText = L"Page Not Found. Page does not exist";
        decision.logLine = LinkLogLine(L"Page Not Found. Page does not exist:", next);
        return decision;
    }
    decision.action = RedirectAction::Follow;
    decision.nextLink = next;
    return decision;
}

const std::vector<std::pair<std::wstring, std::wstring>>& ProductOidInsertions()
{
    static const std::vector<std::pair<std::wstring, std::wstring>> insertions{
        {L"9b11", L"4157431"}, {L"a211", L"4157433"}, {L"7811", L"3386710"}, {L"7e11", L"3727854"},
        {L"7f11", L"3727860"}, {L"2a12", L"4312247"}, {L"d102", L"3542173"}, {L"6612", L"4608512"},
        {L"d002", L"3380536"}, {L"7011", L"3441152"}, {L"8311", L"3816602"}, {L"8211", L"3816598"},
        {L"7511", L"3560227"}, {L"7411", L"3560219"}, {L"2312", L"2511707"}, {L"2212", L"2511707"},
        {L"2504", L"1839402"}, {L"7611", L"3602318"}, {L"8011", L"3764025"}, {L"1e04", L"1742956"},
        {L"7711", L"3602330"}, {L"8c11", L"3921476"}, {L"bd02", L"3115804"}, {L"6d11", L"3290871"},
        {L"6f11", L"3290883"}, {L"7d11", L"3737191"}, {L"5d12", L"4501369"}, {L"9c11", L"4157445"},
        {L"7811", L"3386722"}, {L"d102", L"3380536"}, {L"6512", L"4608498"}, {L"be11", L"4289013"},
        {L"3412", L"4375520"}, {L"2512", L"4256781"}, {L"2112", L"4256769"}, {L"b411", L"4210394"},
        {L"7c11", L"3737191"},
    };
    return insertions;
}

const OidTable& ProductOidTable()
{
    static const OidTable table = [] {
        OidTable built;
        for (const auto& [productId, oid] : ProductOidInsertions())
            built.emplace(productId, oid); // emplace keeps the first value of a repeated key
        return built;
    }();
    return table;
}

std::wstring LookupProductOid(const std::wstring& productId)
{
    for (const auto& [key, oid] : ProductOidTable())
        if (EqualsIgnoringCase(key, productId))
            return oid;
    return {};
}

std::wstring GetModelNo(const std::wstring& text)
{
    std::size_t i = 0;
    while (i < text.size())
    {
        while (i < text.size() && (text[i] == L' ' || text[i] == L'\t'))
            ++i;
        const auto start = i;
        bool hasDigit = false;
        while (i < text.size() && text[i] != L' ' && text[i] != L'\t')
            hasDigit = IsDigit(text[i++]) || hasDigit;
        if (hasDigit)
        {
            std::wstring token = text.substr(start, i - start);
            for (auto& c : token)
                c = AsciiUpper(c);
            return token;
        }
    }
    return {};
}

std::wstring MatchModelNo(const OidTable& table, const std::wstring& key,
                          const std::function<void(const std::wstring&, const std::wstring&)>& onCompare)
{
    std::wstring search = key;
    while (!search.empty())
    {
        for (const auto& [entryKey, value] : table)
        {
            if (onCompare)
                onCompare(entryKey, search);
            if (entryKey.find(search) != std::wstring::npos)
                return value;
        }
        search.pop_back();
    }
    return {};
}

OidTable OidTableFromProducts(const std::vector<std::pair<std::wstring, std::wstring>>& products,
                              const ModelNoObserver& onModelNo)
{
    OidTable table;
    for (const auto& [name, oid] : products)
    {
        auto modelNo = GetModelNo(name);
        if (onModelNo)
            onModelNo(modelNo);
        table[std::move(modelNo)] = oid;
    }
    return table;
}

std::wstring ModelNameFromAnswerPath(const std::wstring& path, const std::wstring& languageCode)
{
    const auto slash = path.rfind(L'\\');
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const std::wstring suffix = L"_" + languageCode + L".xml";
    for (auto at = name.find(suffix); at != std::wstring::npos; at = name.find(suffix, at))
        name.erase(at, suffix.size());
    return name;
}

std::wstring ModelKeyFromAnswerPath(const std::wstring& path, const std::wstring& languageCode)
{
    return GetModelNo(ModelNameFromAnswerPath(path, languageCode));
}

bool HasDocumentTypeDeclaration(const std::string& bytes)
{
    // Dropping the zero bytes reads the ASCII of UTF-16 in either byte order like UTF-8.
    std::string ascii;
    ascii.reserve(bytes.size());
    for (char c : bytes)
        if (c != '\0')
            ascii += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    return ascii.find("<!DOCTYPE") != std::string::npos;
}

std::wstring ModelNameForSupportLink(const std::wstring& friendlyName, const std::wstring& deviceName)
{
    std::wstring name = friendlyName.empty() ? deviceName : friendlyName;
    for (const std::wstring word : {L"Class", L"driver"})
        for (auto at = name.find(word); at != std::wstring::npos; at = name.find(word, at))
            name.erase(at, word.size());
    return name;
}

std::wstring SafeFileNamePart(const std::wstring& text)
{
    std::wstring safe = text;
    for (auto& c : safe)
        if (IsControl(c) || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos)
            c = L'_';
    for (auto at = safe.find(L".."); at != std::wstring::npos; at = safe.find(L"..", at))
        safe[at] = L'_';
    if (safe.size() > kMaxFileNamePart)
    {
        std::size_t cut = kMaxFileNamePart;
        if (safe[cut - 1] >= 0xD800 && safe[cut - 1] <= 0xDBFF) // keep surrogate pairs whole
            --cut;
        safe.resize(cut);
    }
    // "NUL.x" or "com1" open devices instead of files.
    auto base = safe.substr(0, safe.find(L'.'));
    while (!base.empty() && base.back() == L' ')
        base.pop_back();
    if (IsReservedDeviceName(base))
        safe.insert(0, L"_");
    return safe;
}

std::wstring BrokerAnswerFileName(const std::wstring& modelName, const std::wstring& languageCode)
{
    return SafeFileNamePart(modelName) + L"_" + SafeFileNamePart(languageCode) + L".xml";
}

std::wstring PercentEncode(const std::wstring& text)
{
    static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
    std::string utf8;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t code = static_cast<uint32_t>(text[i]);
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<uint32_t>(text[++i]) - 0xDC00);
        else if (code >= 0xD800 && code <= 0xDFFF)
            code = 0xFFFD; // a lone surrogate
        AppendUtf8(utf8, code);
    }
    std::wstring encoded;
    encoded.reserve(utf8.size());
    for (unsigned char byte : utf8) {
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
            byte == '-' || byte == '.' || byte == '_' || byte == '~') {
            encoded += static_cast<wchar_t>(byte);
        } else {
            encoded += L'%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

bool IsShellSafeLink(const std::wstring& link)
{
    if (link.size() > kMaxShellLinkLength)
        return false;
    auto startsWith = [&](std::wstring_view prefix) {
        return link.size() >= prefix.size() &&
               std::equal(prefix.begin(), prefix.end(), link.begin(),
                          [](wchar_t a, wchar_t b) { return a == (b >= L'A' && b <= L'Z' ? b + 32 : b); });
    };
    const size_t hostStart = startsWith(L"http://") ? 7 : startsWith(L"https://") ? 8 : 0;
    if (hostStart == 0)
        return false;
    auto isHex = [](wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'); };
    auto isAlnum = [](wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); };
    size_t at = hostStart;
    while (at < link.size() && (isAlnum(link[at]) || link[at] == L'.' || link[at] == L'-'))
        ++at;
    if (at == hostStart)
        return false;
    if (at < link.size() && link[at] == L':') {
        const size_t digits = ++at;
        while (at < link.size() && link[at] >= L'0' && link[at] <= L'9')
            ++at;
        if (at == digits || at - digits > 5)
            return false;
    }
    if (at < link.size() && link[at] != L'/' && link[at] != L'?' && link[at] != L'#')
        return false; // user information or anything else before the path
    static constexpr std::wstring_view kAllowed = L"-._~:/?#[]@!$&()*+,;=";
    for (; at < link.size(); ++at) {
        const wchar_t c = link[at];
        if (c == L'%') {
            if (at + 2 >= link.size() || !isHex(link[at + 1]) || !isHex(link[at + 2]))
                return false;
            at += 2;
        } else if (!isAlnum(c) && kAllowed.find(c) == std::wstring_view::npos) {
            return false;
        }
    }
    return true;
}

std::wstring BuildNavLink(const std::wstring& supportHost, const std::wstring& pageType, const std::wstring& languageCode,
                          const std::wstring& countryCode, const std::wstring& oid, const std::wstring& client)
{
    return L"http://" + supportHost + L"/apps/Nav?h_pagetype=" + PercentEncode(pageType) + L"&h_lang=" +
           PercentEncode(languageCode) + L"&h_cc=" + PercentEncode(countryCode) + L"&h_product=" +
           PercentEncode(oid) + L"&h_client=" + PercentEncode(client) + L"&h_page=kelocom";
}

std::wstring BuildBrokerUrl(const std::wstring& supportHost, const std::wstring& languageCode,
                            const std::wstring& modelName)
{
    if (languageCode.empty() || modelName.empty())
        return {};
    return L"http://" + supportHost + L"/apps/Broker?&h_fields=product_bigseries_oid&h_page=kelocom&h_lang=" +
           languageCode + L"&h_query=" + modelName;
}

std::wstring BuildNavVariantLink(const std::wstring& supportHost, const std::wstring& pageType,
                                 const std::wstring& languageCode, const std::wstring& oid,
                                 const std::wstring& countryCode)
{
    return L"http://" + supportHost + L"/apps/Nav?h_pagetype=" + PercentEncode(pageType) + L"&h_lang=" +
           PercentEncode(languageCode) + L"&h_product=" + PercentEncode(oid) +
           L"&h_client=s-a-e021-2&h_page=kelocom&lang=" + PercentEncode(languageCode) + L"&h_cc=" +
           PercentEncode(countryCode);
}

std::wstring BuildKeywordLink(const std::wstring& supportHost, const std::wstring& pageType,
                              const std::wstring& languageCode, const std::wstring& keyword)
{
    return L"http://" + supportHost + L"/apps/Nav?h_pagetype=" + PercentEncode(pageType) + L"&h_lang=" +
           PercentEncode(languageCode) + L"&h_client=s-h-e021-1&h_keyword=" + PercentEncode(keyword);
}

std::wstring BuildCustomerCareLink(const std::wstring& mainHost)
{
    return L"http://" + mainHost + L"/go/customercare";
}
