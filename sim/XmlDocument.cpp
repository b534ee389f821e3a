#include "sim/XmlDocument.h"

#include <cstdint>
#include <map>

#include "support/Utf8.h"

namespace sim {
namespace {

constexpr size_t kMaxDepth = 64;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsNameStart(char c)
{
    auto u = static_cast<unsigned char>(c);
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || u >= 0x80;
}

bool IsNameChar(char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// A character XML 1.0 allows at all (bytes of multi-byte UTF-8 pass).
bool IsAllowedChar(char c)
{
    return static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r';
}

// Characters a URI reference never contains as they are.
bool IsUriReference(std::string_view text)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F)
            return false;
        if (std::string_view("<>\"{}|\\^`").find(c) != std::string_view::npos)
            return false;
    }
    return true;
}

struct RawAttribute {
    std::string name;
    std::string value;
};

class Reader {
public:
    Reader(std::string_view text, std::string& error) : text_(text), error_(error) {}

    std::optional<XmlElement> Document()
    {
        if (text_.starts_with("\xEF\xBB\xBF"))
            at_ = 3;
        if (text_.substr(at_).starts_with("<?xml") && at_ + 5 < text_.size() && IsBlank(text_[at_ + 5])) {
            size_t end = text_.find("?>", at_);
            if (end == std::string_view::npos)
                return Fail("unfinished XML declaration");
            if (text_.substr(at_, end - at_).find("version") == std::string_view::npos)
                return Fail("XML declaration without version");
            at_ = end + 2;
        }
        if (!Misc())
            return std::nullopt;
        if (at_ >= text_.size() || text_[at_] != '<')
            return Fail("no root element");
        std::optional<XmlElement> root = Element(0);
        if (!root)
            return std::nullopt;
        if (!Misc())
            return std::nullopt;
        if (at_ != text_.size())
            return Fail("content after the root element");
        return root;
    }

private:
    std::nullopt_t Fail(std::string reason)
    {
        if (error_.empty())
            error_ = reason + " at byte " + std::to_string(at_);
        return std::nullopt;
    }

    bool Failed(std::string reason)
    {
        Fail(std::move(reason));
        return false;
    }

    bool Next(std::string_view literal) const { return text_.substr(at_).starts_with(literal); }

    void SkipBlanks()
    {
        while (at_ < text_.size() && IsBlank(text_[at_]))
            ++at_;
    }

    // Blanks, comments and processing instructions outside the root element.
    bool Misc()
    {
        for (;;) {
            SkipBlanks();
            if (Next("<!--")) {
                if (!Comment())
                    return false;
            } else if (Next("<!DOCTYPE")) {
                return Failed("document type declaration");
            } else if (Next("<?")) {
                if (!Instruction())
                    return false;
            } else {
                return true;
            }
        }
    }

    bool Comment()
    {
        size_t end = text_.find("--", at_ + 4);
        if (end == std::string_view::npos || end + 2 >= text_.size() || text_[end + 2] != '>')
            return Failed("bad comment");
        for (size_t i = at_ + 4; i < end; ++i)
            if (!IsAllowedChar(text_[i]))
                return Failed("control character in a comment");
        at_ = end + 3;
        return true;
    }

    bool Instruction()
    {
        at_ += 2;
        std::string target = Name();
        if (target.empty())
            return Failed("processing instruction without a target");
        if (target.size() == 3 && (target[0] | 0x20) == 'x' && (target[1] | 0x20) == 'm' && (target[2] | 0x20) == 'l')
            return Failed("XML declaration not at the start");
        size_t end = text_.find("?>", at_);
        if (end == std::string_view::npos)
            return Failed("unfinished processing instruction");
        at_ = end + 2;
        return true;
    }

    std::string Name()
    {
        size_t start = at_;
        if (at_ >= text_.size() || !IsNameStart(text_[at_]))
            return {};
        while (at_ < text_.size() && IsNameChar(text_[at_]))
            ++at_;
        return std::string(text_.substr(start, at_ - start));
    }

    // "&...;" at at_: appends what it stands for.
    bool Reference(std::string& out)
    {
        size_t end = text_.find(';', at_);
        if (end == std::string_view::npos || end - at_ > 12)
            return Failed("unfinished reference");
        std::string_view name = text_.substr(at_ + 1, end - at_ - 1);
        static const std::map<std::string_view, char> named = {
            {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
        if (auto found = named.find(name); found != named.end()) {
            out += found->second;
        } else if (name.starts_with('#') && name.size() > 1) {
            const bool hex = name[1] == 'x';
            std::string_view digits = name.substr(hex ? 2 : 1);
            uint32_t code = 0;
            if (digits.empty())
                return Failed("empty character reference");
            for (char c : digits) {
                int digit = c >= '0' && c <= '9' ? c - '0'
                          : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                        : -1;
                if (digit < 0)
                    return Failed("bad character reference");
                code = code * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
                if (code > 0x10FFFF)
                    return Failed("character reference out of range");
            }
            if ((code < 0x20 && code != 0x9 && code != 0xA && code != 0xD) || (code >= 0xD800 && code <= 0xDFFF) ||
                code == 0xFFFE || code == 0xFFFF)
                return Failed("reference to a character XML does not allow");
            AppendUtf8(out, code);
        } else {
            return Failed("unknown entity");
        }
        at_ = end + 1;
        return true;
    }

    bool Attributes(std::vector<RawAttribute>& attributes)
    {
        for (;;) {
            const size_t before = at_;
            SkipBlanks();
            if (at_ >= text_.size())
                return Failed("unfinished start tag");
            if (text_[at_] == '>' || Next("/>"))
                return true;
            if (at_ == before)
                return Failed("attributes must be separated by blanks");
            RawAttribute attribute;
            attribute.name = Name();
            if (attribute.name.empty())
                return Failed("bad attribute name");
            SkipBlanks();
            if (at_ >= text_.size() || text_[at_] != '=')
                return Failed("attribute without a value");
            ++at_;
            SkipBlanks();
            if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\''))
                return Failed("attribute value without quotes");
            const char quote = text_[at_++];
            for (;;) {
                if (at_ >= text_.size())
                    return Failed("unfinished attribute value");
                const char c = text_[at_];
                if (c == quote)
                    break;
                if (c == '<')
                    return Failed("'<' in an attribute value");
                if (c == '&') {
                    if (!Reference(attribute.value))
                        return false;
                    continue;
                }
                if (!IsAllowedChar(c))
                    return Failed("control character in an attribute value");
                attribute.value += c;
                ++at_;
            }
            ++at_;
            for (const RawAttribute& other : attributes)
                if (other.name == attribute.name)
                    return Failed("attribute '" + attribute.name + "' given twice");
            attributes.push_back(std::move(attribute));
        }
    }

    // Resolves "prefix:local" in the innermost scope; `useDefault` for element names.
    bool Resolve(const std::string& qualified, bool useDefault, std::string& uri, std::string& local)
    {
        const size_t colon = qualified.find(':');
        std::string prefix = colon == std::string::npos ? std::string() : qualified.substr(0, colon);
        local = colon == std::string::npos ? qualified : qualified.substr(colon + 1);
        if (colon != std::string::npos && (prefix.empty() || local.empty() || local.find(':') != std::string::npos))
            return Failed("bad qualified name '" + qualified + "'");
        if (prefix.empty() && !useDefault) {
            uri.clear();
            return true;
        }
        if (prefix == "xml") {
            uri = "http://www.w3.org/XML/1998/namespace";
            return true;
        }
        for (auto scope = scopes_.rbegin(); scope != scopes_.rend(); ++scope) {
            if (auto found = scope->find(prefix); found != scope->end()) {
                uri = found->second;
                return true;
            }
        }
        if (prefix.empty()) {
            uri.clear();
            return true;
        }
        return Failed("undeclared prefix '" + prefix + "'");
    }

    std::optional<XmlElement> Element(size_t depth)
    {
        if (depth >= kMaxDepth)
            return Fail("elements nested too deep");
        ++at_; // '<'
        const std::string qualified = Name();
        if (qualified.empty())
            return Fail("bad element name");
        std::vector<RawAttribute> attributes;
        if (!Attributes(attributes))
            return std::nullopt;

        std::map<std::string, std::string> scope;
        for (const RawAttribute& attribute : attributes) {
            if (attribute.name != "xmlns" && !attribute.name.starts_with("xmlns:"))
                continue;
            std::string prefix = attribute.name == "xmlns" ? std::string() : attribute.name.substr(6);
            if (!prefix.empty() && attribute.value.empty())
                return Fail("prefix '" + prefix + "' bound to no namespace");
            if (!IsUriReference(attribute.value))
                return Fail("namespace name '" + attribute.value + "' is no URI reference");
            scope[prefix] = attribute.value;
        }
        scopes_.push_back(std::move(scope));

        XmlElement element;
        if (!Resolve(qualified, true, element.namespaceUri, element.localName))
            return std::nullopt;
        for (const RawAttribute& attribute : attributes) {
            std::string uri, local;
            if (attribute.name != "xmlns" && !attribute.name.starts_with("xmlns:") &&
                !Resolve(attribute.name, false, uri, local))
                return std::nullopt;
        }

        if (Next("/>")) {
            at_ += 2;
            scopes_.pop_back();
            return element;
        }
        ++at_; // '>'
        if (!Content(element, depth))
            return std::nullopt;
        // At "</".
        at_ += 2;
        const std::string closing = Name();
        if (closing != qualified)
            return Fail("end tag '" + closing + "' does not close '" + qualified + "'");
        SkipBlanks();
        if (at_ >= text_.size() || text_[at_] != '>')
            return Fail("unfinished end tag");
        ++at_;
        scopes_.pop_back();
        return element;
    }

    bool Content(XmlElement& element, size_t depth)
    {
        for (;;) {
            if (at_ >= text_.size())
                return Failed("element '" + element.localName + "' is not closed");
            const char c = text_[at_];
            if (Next("</"))
                return true;
            if (Next("<!--")) {
                if (!Comment())
                    return false;
            } else if (Next("<![CDATA[")) {
                size_t end = text_.find("]]>", at_ + 9);
                if (end == std::string_view::npos)
                    return Failed("unfinished CDATA section");
                element.text.append(text_.substr(at_ + 9, end - at_ - 9));
                at_ = end + 3;
            } else if (Next("<?")) {
                if (!Instruction())
                    return false;
            } else if (c == '<') {
                std::optional<XmlElement> child = Element(depth + 1);
                if (!child)
                    return false;
                element.children.push_back(std::move(*child));
            } else if (c == '&') {
                if (!Reference(element.text))
                    return false;
            } else if (Next("]]>")) {
                return Failed("']]>' in character data");
            } else if (!IsAllowedChar(c)) {
                return Failed("control character in character data");
            } else {
                element.text += c;
                ++at_;
            }
        }
    }

    std::string_view text_;
    std::string& error_;
    size_t at_ = 0;
    std::vector<std::map<std::string, std::string>> scopes_;
};

} // namespace

std::vector<const XmlElement*> XmlElement::Children(std::string_view uri, std::string_view local) const
{
    std::vector<const XmlElement*> found;
    for (const XmlElement& child : children)
        if (child.namespaceUri == uri && child.localName == local)
            found.push_back(&child);
    return found;
}

std::optional<XmlElement> ParseXmlDocument(std::string_view text, std::string& error)
{
    error.clear();
    return Reader(text, error).Document();
}

} // namespace sim
