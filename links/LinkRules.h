#pragma once
// Decisions behind support links and their liveness check: status texts, link splitting,
// redirects, the product OID table, model numbers and the broker answer file name.
#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

// ---- Link check -------------------------------------------------------------------------

// Finite limits for the network layer (the original waited forever and followed without end).
constexpr unsigned kLinkTimeoutMilliseconds = 10000;
constexpr int kMaxLinkRedirects = 5;

// A header larger than this is treated like one that cannot be allocated.
constexpr std::size_t kMaxHeaderBytes = 1024 * 1024;

// Downloads are broker answers of a few kilobytes: copy in chunks and stop an endless body.
constexpr std::size_t kDownloadChunkBytes = 64 * 1024;
constexpr std::size_t kMaxDownloadBytes = 1024 * 1024;

inline const wchar_t kLiveStatus[] = L"Live";

struct HttpStatusOutcome
{
    std::wstring statusText; // empty for a redirect: the target decides
    std::wstring logMessage; // empty when nothing is logged (200, redirects)
    bool isRedirect = false;
};

// What an HTTP status code means to the caller: status text, log message, redirect or not.
HttpStatusOutcome MapHttpStatus(long statusCode);

// The status header text as a decimal number, 0 when it holds no leading digits.
long ParseStatusCode(const std::wstring& text);

// The log line for a message and a link: "message link".
std::wstring LinkLogLine(const std::wstring& message, const std::wstring& link);

// Whether a status text means the link is alive ("Live", letter case ignored).
bool IsLiveStatus(const std::wstring& statusText);

enum class LinkScheme { Http, Https, Ftp, Other };

struct LinkParts
{
    bool valid = false; // false: the link cannot be split at all
    LinkScheme scheme = LinkScheme::Other;
    std::wstring schemeText;
    std::wstring user;
    std::wstring password;
    std::wstring host;
    unsigned port = 0; // the written port, or the scheme's default (0 when unknown)
    bool portWritten = false;
    std::wstring path; // verbatim, never re-encoded; "/" when the link has none
};

// Splits "scheme://[user[:password]@]host[:port][path]" without re-encoding anything; a link with
// control characters does not split.
LinkParts SplitLink(const std::wstring& link);

// Whether a split link may be checked (HTTP, HTTPS or FTP).
bool IsCheckableScheme(LinkScheme scheme);

struct LinkRejection
{
    bool rejected = false;
    std::wstring statusText;
    std::wstring logLine;
};

// Whether a link is refused before any connection, with "Invalid Link" and its log line.
LinkRejection RejectLinkBeforeConnect(const std::wstring& link);

struct RequestFlags
{
    bool reload = false;
    bool existingConnection = false;
    bool noCacheWrite = false;
    bool noAutoRedirect = false;
    bool ignoreRedirectToHttps = false;
};

// The request flags per scheme: HTTP stops automatic redirects, HTTPS keeps them, FTP has none.
RequestFlags RequestFlagsFor(LinkScheme scheme);

// Every scheme is requested as plain HTTP on port 80 of its server; the written port is ignored.
constexpr unsigned kCheckLinkConnectPort = 80;

// The value of the "Location" header in raw CR LF headers, without line ends; false when absent.
bool ExtractLocation(const std::wstring& rawHeaders, std::wstring& location);

// A Location without a server part, made absolute against the link that answered with it.
std::wstring ResolveLocation(const std::wstring& location, const std::wstring& currentLink);

// Whether a link is the portal's error page ("Error?", exact case).
bool IsErrorPageLink(const std::wstring& link);

enum class RedirectAction { Follow, Stop };

struct RedirectDecision
{
    RedirectAction action = RedirectAction::Stop;
    std::wstring nextLink;   // for Follow
    std::wstring statusText; // for Stop
    std::wstring logLine;    // for Stop
};

// What a 301/302/303 answer leads to: the next link to check, or the final status and log line.
RedirectDecision DecideRedirect(const std::wstring& rawHeaders, const std::wstring& currentLink);

// ---- Addresses handed to the shell -------------------------------------------------------

// The longest address the shell is given; a longer one is refused.
constexpr std::size_t kMaxShellLinkLength = 2048;

// `text` as UTF-8 with every byte but the unreserved characters of RFC 3986 percent-encoded:
// a value from a device or a file can then never end its query field or the address.
std::wstring PercentEncode(const std::wstring& text);

// Whether an address may go to the shell: "http://" or "https://", a host name or address
// (with a port at most), then only the characters of RFC 3986 (no blanks, quotes, angle
// brackets, backslashes or controls), every "%" followed by two hex digits, at most
// kMaxShellLinkLength long.
bool IsShellSafeLink(const std::wstring& link);

// ---- Support links ----------------------------------------------------------------------

using OidTable = std::map<std::wstring, std::wstring>;

// The product OID table's insertions in order (37, with two repeated keys).
const std::vector<std::pair<std::wstring, std::wstring>>& ProductOidInsertions();

// The product OID table: the first insertion of a key wins.
const OidTable& ProductOidTable();

// The OID for a USB product id, letter case ignored; empty when the table has none.
std::wstring LookupProductOid(const std::wstring& productId);

// `GetModelNo`: the first blank-separated token holding a digit, upper-cased; empty when none.
std::wstring GetModelNo(const std::wstring& text);

// `MatchModelNo`: value of the first key (in order) containing the search, shortening the search from the end.
std::wstring MatchModelNo(const OidTable& table, const std::wstring& key,
                          const std::function<void(const std::wstring& entryKey, const std::wstring& search)>&
                              onCompare = {});

// Sees every model number `GetModelNo` hands out on the caller's behalf.
using ModelNoObserver = std::function<void(const std::wstring& modelNo)>;

// The broker answer as a table: model number of each product name to its OID, later names overwrite.
OidTable OidTableFromProducts(const std::vector<std::pair<std::wstring, std::wstring>>& products,
                              const ModelNoObserver& onModelNo = {});

// The answer file's name without folder and without "_<lang>.xml".
std::wstring ModelNameFromAnswerPath(const std::wstring& path, const std::wstring& languageCode);

// The search key from an answer file path: `ModelNameFromAnswerPath` through `GetModelNo`.
std::wstring ModelKeyFromAnswerPath(const std::wstring& path, const std::wstring& languageCode);

// Whether an XML document declares a document type (UTF-8 or UTF-16): such broker answers are refused.
bool HasDocumentTypeDeclaration(const std::string& bytes);

// The model name support links carry: the friendly name (the device name when it is empty)
// without "Class" and "driver".
std::wstring ModelNameForSupportLink(const std::wstring& friendlyName, const std::wstring& deviceName);

// Maximum length of one name part of the answer file.
constexpr std::size_t kMaxFileNamePart = 64;

// A text made safe as part of a file name: forbidden and control characters, ".." and device names defused, capped.
std::wstring SafeFileNamePart(const std::wstring& text);

// The broker answer file name: safe model name + "_" + safe language code + ".xml".
std::wstring BrokerAnswerFileName(const std::wstring& modelName, const std::wstring& languageCode);

// `BuildHubLink` by table: the product hub link for a known OID.
std::wstring BuildNavLink(const std::wstring& supportHost, const std::wstring& pageType, const std::wstring& languageCode,
                          const std::wstring& countryCode, const std::wstring& oid, const std::wstring& client);

// `BuildBrokerUrl`: the broker query, model name unchanged; empty when language or model is empty.
std::wstring BuildBrokerUrl(const std::wstring& supportHost, const std::wstring& languageCode,
                            const std::wstring& modelName);

// The variant hub link of the query path (an empty OID still gives a link).
std::wstring BuildNavVariantLink(const std::wstring& supportHost, const std::wstring& pageType,
                                 const std::wstring& languageCode, const std::wstring& oid,
                                 const std::wstring& countryCode);

// `BuildKeywordHubLink` formatting: page type, language and keyword into the keyword hub link.
std::wstring BuildKeywordLink(const std::wstring& supportHost, const std::wstring& pageType,
                              const std::wstring& languageCode, const std::wstring& keyword);

// The generic customer care link on the maker's main web host.
std::wstring BuildCustomerCareLink(const std::wstring& mainHost);
