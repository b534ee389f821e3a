#include "support/ProductInfoColl.h"

#include <windows.h>
#include <shlwapi.h>

#include <functional>

#include "support/CatalogueRules.h"
#include "support/LocalFile.h"
#include "support/LogFile.h"
#include "support/ModuleInfo.h"
#include "support/XmlDom.h"

namespace {

std::wstring ConfigFolder() { return GetExecutableFolder() + L"\\config\\"; }

std::wstring CataloguePath() { return ConfigFolder() + L"product_info.xml"; }

// Calls `visit` for every "Product" element until it returns true; false when
// the catalogue cannot be read or holds no product.
bool WalkProducts(const std::function<bool(IXMLDOMNode*)>& visit)
{
    NGWinApi::ComInitialization com;
    XmlDom::DocumentPtr document;
    if (FAILED(XmlDom::Create(CLSCTX_INPROC_SERVER, false, document)))
        return false;
    const std::wstring path = CataloguePath();
    if (!::PathFileExistsW(path.c_str()) || XmlDom::Load(document.get(), path) != S_OK)
        return false;
    XmlDom::NodeListPtr products;
    long count = 0;
    if (FAILED(XmlDom::ElementsByTagName(document.get(), L"Product", products)) ||
        FAILED(products->get_length(&count)) || count == 0)
        return false;
    for (long i = 0; i < count; ++i) {
        XmlDom::NodePtr product;
        if (FAILED(products->get_item(i, product.put())) || !product)
            return false;
        if (visit(product.get()))
            return true;
    }
    return false;
}

} // namespace

std::wstring CProductInfoColl::CatalogueProblem()
{
    if (WalkProducts([](IXMLDOMNode*) { return true; }))
        return {};
    const std::wstring path = CataloguePath();
    std::wstring problem = LocalFileProblem(path, kMaxLocalXmlBytes);
    if (problem.empty())
        problem = L"not well-formed XML, not in its declared encoding, or without products";
    problem = path + L": " + problem;
    LogFile().Write(L"Product catalogue not read: %s", problem.c_str());
    return problem;
}

bool CProductInfoColl::FindFeature(const std::wstring& productId, const wchar_t* attribute,
                                   std::wstring& value)
{
    if (productId.empty())
        return false;
    return WalkProducts([&](IXMLDOMNode* product) {
        auto pid = XmlDom::Attribute(product, L"PID");
        auto feature = XmlDom::Attribute(product, attribute);
        if (!pid || !feature || !PidMatches(*pid, productId))
            return false;
        value = std::move(*feature);
        return true;
    });
}

bool CProductInfoColl::VerifySupportedPrinter(std::wstring& productId, const std::wstring& name,
                                              bool isNetwork, bool driverInstalled)
{
    LogFile().Write(L"CProductInfoColl::VerifySupportedPrinter");
    LogFile().Write(L"strModel>> %s", name.c_str());
    bool supported = false;
    WalkProducts([&](IXMLDOMNode* product) {
        auto pid = XmlDom::Attribute(product, L"PID");
        auto model = XmlDom::Attribute(product, L"MODEL");
        auto installName = XmlDom::Attribute(product, L"INSTALL_NAME");
        if (!pid || !model || !installName)
            return false;
        if (!isNetwork) {
            if (productId.empty())
                return true; // nothing to look for: stop, unsupported
            supported = PidMatches(*pid, productId);
            return supported;
        }
        if (name.empty())
            return true;
        const std::wstring normalized = NormalizeModelName(name);
        if (driverInstalled) {
            // These two install under names the catalogue cannot match.
            if (normalized.find(L"workline 4420") != std::wstring::npos) {
                productId = L"5912";
                return supported = true;
            }
            if (normalized.find(L"workline pro 9150") != std::wstring::npos) {
                productId = L"5c12";
                return supported = true;
            }
            const std::wstring install = NormalizeModelName(*installName);
            if (install.empty() || !NamesOverlap(normalized, install))
                return false;
        } else if (!NamesOverlap(normalized, NormalizeModelName(*model))) {
            return false;
        }
        productId = *pid;
        return supported = true;
    });
    return supported;
}

bool CProductInfoColl::GetPrnFile(const std::wstring& productId, std::wstring& path)
{
    std::wstring file;
    if (!FindFeature(productId, L"PRN_FILE", file))
        return false;
    path = ConfigFolder() + file;
    return true;
}

bool CProductInfoColl::IsCopySupported(const std::wstring& productId)
{
    std::wstring value;
    return FindFeature(productId, L"COPY", value) && IsYesFlag(value);
}

bool CProductInfoColl::IsAdfSupported(const std::wstring& productId)
{
    std::wstring value;
    return FindFeature(productId, L"ADF", value) && IsYesFlag(value);
}

bool CProductInfoColl::IsRestDevice(const std::wstring& productId)
{
    std::wstring value;
    return FindFeature(productId, L"DEVICE_TYPE", value) && IsRestDeviceType(value);
}

bool CProductInfoColl::GetCopyKeyword(const std::wstring& productId, std::wstring& keyword)
{
    return FindFeature(productId, L"COPY_KEYWORD", keyword);
}

bool CProductInfoColl::GetPageType(const std::wstring& productId, std::wstring& pageType)
{
    return FindFeature(productId, L"PAGE_TYPE", pageType);
}

bool CProductInfoColl::IsPrintDiagInfoSupported(const std::wstring& productId)
{
    std::wstring value;
    return FindFeature(productId, L"PRINT_DIAG_INFO", value) && IsYesFlag(value);
}
