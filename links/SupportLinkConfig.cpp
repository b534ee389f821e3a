#include "links/SupportLinkConfig.h"

#include "support/LogFile.h"
#include "support/ModuleInfo.h"
#include "support/XmlDom.h"

SupportLinkHosts LoadSupportLinkHosts()
{
    SupportLinkHosts hosts;
    NGWinApi::ComInitialization com;
    XmlDom::DocumentPtr document;
    const std::wstring path = GetExecutableFolder() + L"\\config\\support_links.xml";
    XmlDom::NodeListPtr entries;
    if (FAILED(XmlDom::Create(CLSCTX_INPROC_SERVER, false, document)) ||
        XmlDom::Load(document.get(), path) != S_OK ||
        FAILED(XmlDom::ElementsByTagName(document.get(), L"Host", entries))) {
        LogFile().Write(L"Support link hosts not read from %s; built-in hosts used.", path.c_str());
        return hosts;
    }
    long count = 0;
    entries->get_length(&count);
    for (long i = 0; i < count; ++i) {
        XmlDom::NodePtr entry;
        if (FAILED(entries->get_item(i, entry.put())) || !entry)
            break;
        const auto id = XmlDom::Attribute(entry.get(), L"ID");
        const auto value = XmlDom::Attribute(entry.get(), L"Value");
        if (!id || !value || value->empty())
            continue;
        if (*id == L"SUPPORT_HOST")
            hosts.supportHost = *value;
        else if (*id == L"MAIN_WEB_HOST")
            hosts.mainWebHost = *value;
    }
    return hosts;
}
