#pragma once
// Support portal links for one link click: the product hub link (by the product OID table or the
// portal's broker query), the variant and keyword hub links, and the customer care fallback.
#include <string>

#include "links/LinkChecker.h"
#include "links/LinkRules.h"
#include "links/SupportLinkConfig.h"

// The two-letter country code of the user's default language (the country table, "us" when it
// does not list it), logged; support links carry it.
std::wstring GetClosestLanguage();

class SupportLinkBuilder {
public:
    // Hosts from the configuration beside the executable.
    SupportLinkBuilder();
    explicit SupportLinkBuilder(const SupportLinkHosts& hosts);
    SupportLinkBuilder(const SupportLinkBuilder&) = delete;
    SupportLinkBuilder& operator=(const SupportLinkBuilder&) = delete;

    // The application's "TSY_URL_KELO" as customer care link and the country of the user's language.
    void UseApplicationSettings();
    // Replaces the customer care link unless `url` is empty.
    void SetCustomerCareUrl(const std::wstring& url);
    const std::wstring& CustomerCareUrl() const { return customerCareUrl_; }
    void SetCountryCode(const std::wstring& countryCode) { countryCode_ = countryCode; }
    // Time-out of every connect, send and receive of this builder's checks and downloads.
    void SetLinkTimeout(unsigned long milliseconds) { checker_.SetTimeoutMilliseconds(milliseconds); }

    // Opens the product hub link when it is live, the customer care link otherwise.
    void OpenProductSupportLink(const std::wstring& languageCode, const std::wstring& modelName,
                                const std::wstring& pageType, const std::wstring& client,
                                const std::wstring& productId);
    // The same without a product id: the variant hub link from the broker's OID.
    void OpenProductSupportLinkByQuery(const std::wstring& languageCode, const std::wstring& modelName,
                                       const std::wstring& pageType);
    // The keyword hub link from the catalogue's page type and copy keyword; not checked, not opened.
    std::wstring BuildKeywordHubLink(const std::wstring& productId);

    // The product hub link; empty when no OID was found.
    std::wstring BuildHubLink(const std::wstring& pageType, const std::wstring& languageCode,
                              const std::wstring& modelName, const std::wstring& client,
                              const std::wstring& productId);
    std::wstring BuildBrokerUrl(const std::wstring& languageCode, const std::wstring& modelName);
    // The OID of the broker answer at `path` that matches the model number in the file name.
    std::wstring ReadOidFromXml(const std::wstring& path);
    std::wstring GetModelNo(const std::wstring& text);
    std::wstring MatchModelNo(const OidTable& table, const std::wstring& key);

    std::wstring CheckLink(const std::wstring& link) { return checker_.CheckLink(link); }
    bool DownloadToFile(const std::wstring& link, const std::wstring& path)
    {
        return checker_.DownloadToFile(link, path);
    }

    // ShellExecute "open" in the user's browser; false when the shell answers 32 or less.
    static bool OpenLink(const std::wstring& link);

private:
    // The broker's OID for the model: query, live check, download, answer file.
    std::wstring OidFromBroker(const std::wstring& languageCode, const std::wstring& modelName);
    bool AnswerFilePath(const std::wstring& modelName, const std::wstring& languageCode, std::wstring& path);
    void OpenCheckedHub(const std::wstring& hub);
    void OpenCustomerCare();

    CLinkChecker checker_;
    std::wstring supportHost_;
    std::wstring customerCareUrl_;
    std::wstring countryCode_;
    std::wstring languageCode_;
};
