#pragma once
// A strict XML reader for what printers are sent: a device's parser refuses any document that
// is not well-formed, so the simulator can too. Namespace-aware, no document type
// declarations (a device never loads one), bounded depth.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct XmlElement {
    std::string namespaceUri; // empty when the element is in no namespace
    std::string localName;
    std::string text;         // character data directly inside, references resolved
    std::vector<XmlElement> children;

    // The direct children with that namespace and local name.
    std::vector<const XmlElement*> Children(std::string_view namespaceUri, std::string_view localName) const;
};

// The document's root element, or nothing with the reason in `error`. Refused: anything that
// is not well-formed XML 1.0 (one root; matching tags; quoted attribute values without '<';
// unique attributes; only the five named entities and character references; no "]]>" in text;
// no control characters), an undeclared prefix, a namespace name that is no URI reference
// (blanks, angle brackets, quotes and the like), and a document type declaration.
std::optional<XmlElement> ParseXmlDocument(std::string_view text, std::string& error);

} // namespace sim
