#pragma once
// MSXML 3.0 documents for files the tool reads: no DTDs, no external entities.
#include <windows.h>
#include <msxml2.h>

#include <cstdint>
#include <optional>
#include <string>

#include "support/LocalFile.h"

#include "winapi/Handles.h"

namespace XmlDom {

using DocumentPtr = NGWinApi::ComPtr<IXMLDOMDocument2>;
using NodeListPtr = NGWinApi::ComPtr<IXMLDOMNodeList>;
using NodePtr = NGWinApi::ComPtr<IXMLDOMNode>;

// A DOMDocument30 created in `context`; `run` also puts it in the running state.
HRESULT Create(DWORD context, bool run, DocumentPtr& document);

// Synchronous load of a file with DTD processing and external resolution off.
// S_OK when parsed; S_FALSE when the file is missing, empty, larger than `maxBytes` or not
// well-formed.
HRESULT Load(IXMLDOMDocument2* document, const std::wstring& path, int64_t maxBytes = kMaxLocalXmlBytes);

// Every element named `tagName` (prefix included, as the document writes it), in document order.
HRESULT ElementsByTagName(IXMLDOMDocument2* document, const wchar_t* tagName, NodeListPtr& list);

// The attribute's text; nullopt when it is absent. `result` receives the call's outcome.
std::optional<std::wstring> Attribute(IXMLDOMNode* node, const wchar_t* name, HRESULT* result = nullptr);

} // namespace XmlDom
