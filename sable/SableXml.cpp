#include "sable/SableXml.h"

#include "sable/SableFiles.h"
#include "support/LocalFile.h"

namespace SableXml {

std::wstring NodeText(IXMLDOMNode* node)
{
    NGWinApi::UniqueBstr text;
    if (node == nullptr || FAILED(node->get_text(text.put())) || text.get() == nullptr)
        return {};
    return std::wstring(text.get(), ::SysStringLen(text.get()));
}

std::optional<std::wstring> FirstChildText(IXMLDOMNode* node)
{
    XmlDom::NodePtr child;
    if (node == nullptr || node->get_firstChild(child.put()) != S_OK || !child)
        return std::nullopt;
    return NodeText(child.get());
}

void ForEachChild(IXMLDOMNode* node, const std::function<void(const std::wstring& name, IXMLDOMNode* child)>& visit)
{
    XmlDom::NodeListPtr children;
    if (node == nullptr || FAILED(node->get_childNodes(children.put())) || !children)
        return;
    long count = 0;
    children->get_length(&count);
    for (long i = 0; i < count; ++i) {
        XmlDom::NodePtr child;
        if (children->get_item(i, child.put()) != S_OK || !child)
            continue;
        NGWinApi::UniqueBstr name;
        if (FAILED(child->get_nodeName(name.put())) || name.get() == nullptr)
            continue;
        visit(std::wstring(name.get(), ::SysStringLen(name.get())), child.get());
    }
}

bool Document::Load(const std::wstring& path)
{
    loaded_ = false;
    if (!LocalFileProblem(path, kMaxParsedBytes).empty())
        return false;
    if (FAILED(XmlDom::Create(CLSCTX_INPROC_SERVER, false, document_)))
        return false;
    loaded_ = XmlDom::Load(document_.get(), path, kMaxParsedBytes) == S_OK;
    return loaded_;
}

std::optional<std::wstring> Document::Text(const std::wstring& xpath) const
{
    if (!loaded_)
        return std::nullopt;
    NGWinApi::UniqueBstr query(xpath.c_str());
    XmlDom::NodePtr node;
    if (document_->selectSingleNode(query.get(), node.put()) != S_OK || !node)
        return std::nullopt;
    return NodeText(node.get());
}

void Document::ForEachElement(const wchar_t* tagName, const std::function<void(IXMLDOMNode*)>& visit) const
{
    XmlDom::NodeListPtr list;
    if (!loaded_ || FAILED(XmlDom::ElementsByTagName(document_.get(), tagName, list)))
        return;
    long count = 0;
    list->get_length(&count);
    for (long i = 0; i < count; ++i) {
        XmlDom::NodePtr node;
        if (list->get_item(i, node.put()) == S_OK && node)
            visit(node.get());
    }
}

ParsedFile::ParsedFile(std::wstring path) : path_(std::move(path))
{
    Load(path_);
}

ParsedFile::~ParsedFile()
{
    ::DeleteFileW(path_.c_str());
}

} // namespace SableXml
