#include "links/SupportLinkBuilder.h"

#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#include "links/CountryTable.h"
#include "support/LogFile.h"
#include "support/ProductInfoColl.h"
#include "support/XMLHandler.h"
#include "support/XmlDom.h"
#include "winapi/ShellApi.h"

namespace {

using ProductList = std::vector<std::pair<std::wstring, std::wstring>>;

std::wstring NodeText(IXMLDOMNode* node)
{
    NGWinApi::UniqueBstr text;
    if (node == nullptr || FAILED(node->get_text(text.put())) || text.get() == nullptr)
        return {};
    return std::wstring(text.get(), ::SysStringLen(text.get()));
}

// Name (first child) and OID (second child) of every "product" element; shorter ones are passed over.
ProductList ReadProducts(IXMLDOMDocument2* document)
{
    ProductList products;
    XmlDom::NodeListPtr elements;
    if (FAILED(XmlDom::ElementsByTagName(document, L"product", elements)))
        return products;
    long count = 0;
    elements->get_length(&count);
    for (long i = 0; i < count; ++i) {
        XmlDom::NodePtr element;
        XmlDom::NodeListPtr children;
        long childCount = 0;
        if (FAILED(elements->get_item(i, element.put())) || !element ||
            FAILED(element->get_childNodes(children.put())) || !children ||
            FAILED(children->get_length(&childCount)) || childCount < 2)
            continue;
        XmlDom::NodePtr name;
        XmlDom::NodePtr oid;
        children->get_item(0, name.put());
        children->get_item(1, oid.put());
        products.emplace_back(NodeText(name.get()), NodeText(oid.get()));
    }
    return products;
}

// The whole file when it is no larger than `limit`.
bool ReadBoundedFile(const std::wstring& path, std::size_t limit, std::string& bytes)
{
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in)
        return false;
    bytes.resize(limit + 1);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes.size() <= limit;
}

void LogModelNo(const std::wstring& modelNo)
{
    LogFile().Write(L"@GetModelNo %s", modelNo.c_str());
}

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}


} // namespace

std::wstring GetClosestLanguage()
{
    const LANGID user = ::GetUserDefaultLangID();
    LogFile().Write(L"GetClosestLanguage %d .", static_cast<int>(user));
    std::wstring code = CCountryTable::Lookup(user);
    LogFile().Write(L"Get Language code %s .", code.c_str());
    return code;
}

SupportLinkBuilder::SupportLinkBuilder() : SupportLinkBuilder(LoadSupportLinkHosts()) {}

SupportLinkBuilder::SupportLinkBuilder(const SupportLinkHosts& hosts)
    : supportHost_(hosts.supportHost), customerCareUrl_(BuildCustomerCareLink(hosts.mainWebHost))
{
}

void SupportLinkBuilder::UseApplicationSettings()
{
    SetCustomerCareUrl(StringTable().GetString(L"TSY_URL_KELO"));
    SetCountryCode(GetClosestLanguage());
}

void SupportLinkBuilder::SetCustomerCareUrl(const std::wstring& url)
{
    if (!url.empty())
        customerCareUrl_ = url;
}

bool SupportLinkBuilder::OpenLink(const std::wstring& link)
{
    if (!IsShellSafeLink(link)) {
        LogFile().Write(L"Refused to open a link that is not a plain web address: %s",
                        link.substr(0, 200).c_str());
        return false;
    }
    const HINSTANCE result =
        NGWinApi::Shell().ShellExecuteW(nullptr, L"open", link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // Each caller logs a failure in its own words, and some must log nothing.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

void SupportLinkBuilder::OpenCustomerCare()
{
    OpenLink(customerCareUrl_);
}

void SupportLinkBuilder::OpenProductSupportLink(const std::wstring& languageCode, const std::wstring& modelName,
                                                const std::wstring& pageType, const std::wstring& client,
                                                const std::wstring& productId)
{
    try {
        languageCode_ = languageCode;
        OpenCheckedHub(BuildHubLink(pageType, languageCode, modelName, client, productId));
    } catch (...) {
        LogFile().Write(L"Exception occured in OpenProductSupportLink.");
        OpenCustomerCare();
    }
}

void SupportLinkBuilder::OpenProductSupportLinkByQuery(const std::wstring& languageCode,
                                                       const std::wstring& modelName, const std::wstring& pageType)
{
    try {
        const std::wstring oid = OidFromBroker(languageCode, modelName);
        OpenCheckedHub(BuildNavVariantLink(supportHost_, pageType, languageCode, oid, countryCode_));
    } catch (...) {
        LogFile().Write(L"Exception occured in OpenProductSupportLinkByQuery.");
        OpenCustomerCare();
    }
}

void SupportLinkBuilder::OpenCheckedHub(const std::wstring& hub)
{
    if (hub.empty()) {
        OpenCustomerCare();
        LogFile().Write(L"Hub link is NULL,Generic Customer Care Link Executed");
        return;
    }
    const std::wstring status = CheckLink(hub);
    if (IsLiveStatus(status)) {
        OpenLink(hub);
        LogFile().Write(L"%s %s", L"Hub Link Executed: ", hub.c_str());
    } else {
        OpenCustomerCare();
        LogFile().Write(L"Hub link is not Live,Generic Customer Care Link Executed");
    }
    LogFile().Write(L"%s %s %s %s", L"Status of the Hub link:", hub.c_str(), L"is:", status.c_str());
}

std::wstring SupportLinkBuilder::BuildHubLink(const std::wstring& pageType, const std::wstring& languageCode,
                                              const std::wstring& modelName, const std::wstring& client,
                                              const std::wstring& productId)
{
    const std::wstring tableOid = LookupProductOid(productId);
    if (!tableOid.empty())
        return BuildNavLink(supportHost_, pageType, languageCode, countryCode_, tableOid, client);

    const std::wstring oid = OidFromBroker(languageCode, modelName);
    if (oid.empty())
        return {};
    const std::wstring hub = BuildNavLink(supportHost_, pageType, languageCode, countryCode_, oid, client);
    LogFile().Write(L"%s %s", L"HubLink is:", hub.c_str());
    return hub;
}

std::wstring SupportLinkBuilder::OidFromBroker(const std::wstring& languageCode, const std::wstring& modelName)
{
    // The answer file's name carries the language, which the model key leaves out again.
    languageCode_ = languageCode;
    const std::wstring base = BuildBrokerUrl(languageCode, modelName);
    if (base.empty()) {
        LogFile().Write(L"Base URL for Product OID XML is NULL.Redirect to Generic Customer Care Link.");
        return {};
    }
    const std::wstring status = CheckLink(base);
    LogFile().Write(L"%s %s %s %s", L"Status of Base URL: ", base.c_str(), L"is", status.c_str());
    if (!IsLiveStatus(status))
        return {};

    std::wstring path;
    if (!AnswerFilePath(modelName, languageCode, path))
        return {};
    LogFile().Write(L"%s %s", L"XML is:", path.c_str());
    if (!DownloadToFile(base, path))
        return {};

    const std::wstring oid = ReadOidFromXml(path);
    LogFile().Write(L"OID is:%s", oid.c_str());
    if (oid.empty())
        LogFile().Write(L"Failed to retrieve the Product OID");
    return oid;
}

bool SupportLinkBuilder::AnswerFilePath(const std::wstring& modelName, const std::wstring& languageCode,
                                        std::wstring& path)
{
    wchar_t module[MAX_PATH] = {};
    const DWORD length = NGWinApi::Kernel().GetModuleFileNameW(nullptr, module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        LogFile().Write(L"Failed to retrieve the fully-qualified path for the file.");
        return false;
    }
    std::wstring folder(module, length);
    const auto slash = folder.find_last_of(L'\\');
    if (slash == std::wstring::npos) {
        LogFile().Write(L"Failed to remove the trailing file name and backslash from the path.");
        return false;
    }
    folder.resize(slash);

    // Answers are kept in their own folder; when it cannot be made they go beside the executable.
    std::wstring answerFolder = folder + L"\\OidXml";
    if (!::CreateDirectoryW(answerFolder.c_str(), nullptr) && !IsFolder(answerFolder))
        answerFolder = folder;
    path = answerFolder + L"\\" + BrokerAnswerFileName(modelName, languageCode);
    return true;
}

std::wstring SupportLinkBuilder::BuildBrokerUrl(const std::wstring& languageCode, const std::wstring& modelName)
{
    if (languageCode.empty())
        LogFile().Write(L"Language Code Unavailable.");
    if (modelName.empty())
        LogFile().Write(L"Printer Model Name is Unavailable.");
    const std::wstring url = ::BuildBrokerUrl(supportHost_, languageCode, modelName);
    if (!url.empty())
        LogFile().Write(L"%s %s", L"Base URL:", url.c_str());
    return url;
}

std::wstring SupportLinkBuilder::ReadOidFromXml(const std::wstring& path)
{
    try {
        // The answer comes from the network: bounded, and never with a document type (entities).
        std::string bytes;
        if (!ReadBoundedFile(path, kMaxDownloadBytes, bytes)) {
            LogFile().Write(L"Product OID XML missing or larger than %lu bytes: %s",
                            static_cast<unsigned long>(kMaxDownloadBytes), path.c_str());
            return {};
        }
        if (HasDocumentTypeDeclaration(bytes)) {
            LogFile().Write(L"Product OID XML with a document type refused: %s", path.c_str());
            return {};
        }
        NGWinApi::ComInitialization com;
        XmlDom::DocumentPtr document;
        if (FAILED(XmlDom::Create(CLSCTX_INPROC_SERVER, false, document)) ||
            XmlDom::Load(document.get(), path) != S_OK)
            return {};

        const std::wstring key = GetModelNo(ModelNameFromAnswerPath(path, languageCode_));
        const OidTable table = OidTableFromProducts(ReadProducts(document.get()), LogModelNo);
        return MatchModelNo(table, key);
    } catch (...) {
        LogFile().Write(L"Exception occured in ReadOidFromXml.");
        return {};
    }
}

std::wstring SupportLinkBuilder::GetModelNo(const std::wstring& text)
{
    std::wstring modelNo = ::GetModelNo(text);
    LogModelNo(modelNo);
    return modelNo;
}

std::wstring SupportLinkBuilder::MatchModelNo(const OidTable& table, const std::wstring& key)
{
    return ::MatchModelNo(table, key, [](const std::wstring& entryKey, const std::wstring& search) {
        LogFile().Write(L"%s ; %s ", entryKey.c_str(), search.c_str());
    });
}

std::wstring SupportLinkBuilder::BuildKeywordHubLink(const std::wstring& productId)
{
    std::wstring pageType;
    std::wstring keyword;
    CProductInfoColl::GetPageType(productId, pageType);
    const std::wstring language = StringTable().GetString(L"TSY_LANG_CODE");
    LogFile().Write(L"CString csLang = %s", language.c_str());
    CProductInfoColl::GetCopyKeyword(productId, keyword);
    const std::wstring link = BuildKeywordLink(supportHost_, pageType, language, keyword);
    LogFile().Write(L"Hub Link is %s", link.c_str());
    return link;
}
