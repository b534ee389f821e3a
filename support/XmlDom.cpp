#include "support/XmlDom.h"

#include <cwchar>

#include <ole2.h>

// The import library lacks these two; their values are fixed by the parser's registration.
extern "C" const CLSID CLSID_DOMDocument30 = {0xf5078f32, 0xc551, 0x11d3, {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};
extern "C" const IID IID_IXMLDOMDocument2 = {0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

namespace XmlDom {

HRESULT Create(DWORD context, bool run, DocumentPtr& document)
{
    NGWinApi::ComPtr<IUnknown> unknown;
    HRESULT hr = NGWinApi::Com().CoCreateInstance(CLSID_DOMDocument30, nullptr, context, IID_IUnknown,
                                                  unknown.put_void());
    if (FAILED(hr))
        return hr;
    if (run) {
        hr = ::OleRun(unknown.get());
        if (FAILED(hr))
            return hr;
    }
    return unknown.get()->QueryInterface(IID_IXMLDOMDocument2, document.put_void());
}

HRESULT Load(IXMLDOMDocument2* document, const std::wstring& path, int64_t maxBytes)
{
    if (!LocalFileProblem(path, maxBytes).empty())
        return S_FALSE;
    document->put_async(VARIANT_FALSE);
    document->put_validateOnParse(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    {
        // Not every parser knows the property; where it does, it refuses DTDs.
        NGWinApi::UniqueBstr name(L"ProhibitDTD");
        NGWinApi::UniqueVariant on;
        on.get()->vt = VT_BOOL;
        on.get()->boolVal = VARIANT_TRUE;
        document->setProperty(name.get(), *on);
    }
    NGWinApi::UniqueVariant source;
    source.get()->vt = VT_BSTR;
    source.get()->bstrVal = ::SysAllocString(path.c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    HRESULT hr = document->load(*source, &loaded);
    if (FAILED(hr))
        return hr;
    return loaded == VARIANT_TRUE ? S_OK : S_FALSE;
}

HRESULT ElementsByTagName(IXMLDOMDocument2* document, const wchar_t* tagName, NodeListPtr& list)
{
    HRESULT hr;
    if (std::wcschr(tagName, L':') != nullptr) {
        // Wine's getElementsByTagName compares local names only, so "a:X" finds nothing
        // there; the default selection language matches the prefix as written, as
        // MSXML's getElementsByTagName does, and also yields document order.
        NGWinApi::UniqueBstr query((std::wstring(L"//") + tagName).c_str());
        hr = document->selectNodes(query.get(), list.put());
    } else {
        NGWinApi::UniqueBstr name(tagName);
        hr = document->getElementsByTagName(name.get(), list.put());
    }
    if (SUCCEEDED(hr) && !list)
        hr = E_POINTER;
    return hr;
}

std::optional<std::wstring> Attribute(IXMLDOMNode* node, const wchar_t* name, HRESULT* result)
{
    NGWinApi::ComPtr<IXMLDOMElement> element;
    HRESULT hr = node->QueryInterface(IID_IXMLDOMElement, element.put_void());
    std::optional<std::wstring> text;
    if (SUCCEEDED(hr)) {
        NGWinApi::UniqueBstr attributeName(name);
        NGWinApi::UniqueVariant value;
        hr = element->getAttribute(attributeName.get(), value.get());
        if (SUCCEEDED(hr) && (*value).vt == VT_BSTR)
            text.emplace((*value).bstrVal ? (*value).bstrVal : L"", ::SysStringLen((*value).bstrVal));
    }
    if (result != nullptr)
        *result = hr;
    return text;
}

} // namespace XmlDom
