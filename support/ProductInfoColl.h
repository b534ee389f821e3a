#pragma once
// Questions to the product catalogue "config\product_info.xml"; the file is read anew each time.
#include <string>

class CProductInfoColl {
public:
    // Empty when the catalogue can be read and lists products; otherwise the file and why not.
    static std::wstring CatalogueProblem();
    // Is the printer supported? For a network printer the catalogue's product id
    // replaces `productId` on success.
    static bool VerifySupportedPrinter(std::wstring& productId, const std::wstring& name, bool isNetwork,
                                       bool driverInstalled);
    static bool GetPrnFile(const std::wstring& productId, std::wstring& path);
    static bool IsCopySupported(const std::wstring& productId);
    static bool IsAdfSupported(const std::wstring& productId);
    static bool IsRestDevice(const std::wstring& productId);
    static bool GetCopyKeyword(const std::wstring& productId, std::wstring& keyword);
    static bool GetPageType(const std::wstring& productId, std::wstring& pageType);
    static bool IsPrintDiagInfoSupported(const std::wstring& productId);

private:
    // The queried attribute of the first entry whose "PID" names `productId`.
    static bool FindFeature(const std::wstring& productId, const wchar_t* attribute, std::wstring& value);
};
