#pragma once
// Device documents through the MSXML 3.0 DOM with its default selection language: paths
// match the prefixes the documents themselves write. No DTDs, no external entities, and
// files beyond a size bound are not parsed at all.
#include <windows.h>
#include <msxml2.h>

#include <functional>
#include <optional>
#include <string>

#include "support/XmlDom.h"

namespace SableXml {

// The whole text content of a node.
std::wstring NodeText(IXMLDOMNode* node);
// The text of a node's first child node; nothing when it has none.
std::optional<std::wstring> FirstChildText(IXMLDOMNode* node);
// Every child node with its qualified name, in order.
void ForEachChild(IXMLDOMNode* node, const std::function<void(const std::wstring& name, IXMLDOMNode* child)>& visit);

class Document {
public:
    // False when the file is missing, too large or not well-formed.
    bool Load(const std::wstring& path);
    bool Loaded() const { return loaded_; }
    IXMLDOMDocument2* Get() const { return document_.get(); }
    // The text of the first node `xpath` selects.
    std::optional<std::wstring> Text(const std::wstring& xpath) const;
    // Every element of that qualified name, in document order.
    void ForEachElement(const wchar_t* tagName, const std::function<void(IXMLDOMNode*)>& visit) const;

private:
    XmlDom::DocumentPtr document_;
    bool loaded_ = false;
};

// A fetched document: parsed at once and deleted when it goes, whether it parsed or not.
class ParsedFile : public Document {
public:
    explicit ParsedFile(std::wstring path);
    ~ParsedFile();
    ParsedFile(const ParsedFile&) = delete;
    ParsedFile& operator=(const ParsedFile&) = delete;

private:
    std::wstring path_;
};

} // namespace SableXml
