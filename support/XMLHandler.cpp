#include "support/XMLHandler.h"

#include <windows.h>
#include <shlwapi.h>

#include "support/LanguageChoice.h"
#include "support/LocalFile.h"
#include "support/LogFile.h"
#include "support/ModuleInfo.h"
#include "support/XmlDom.h"

bool XMLHandler::Load()
{
    if (!languageFixed_)
        languageId_ = ChooseUiLanguage(::GetUserDefaultLangID());
    table_.clear();
    problem_.clear();

    NGWinApi::ComInitialization com;
    XmlDom::DocumentPtr document;
    if (FAILED(XmlDom::Create(CLSCTX_SERVER, true, document))) {
        LogFile().Write(L"CreateInstance - XMLHandler failed");
        problem_ = L"the XML parser cannot be created";
        return false;
    }

    const std::wstring folder = GetExecutableFolder();
    std::wstring path = StringFilePath(folder, languageId_);
    if (!::PathFileExistsW(path.c_str())) {
        languageId_ = kDefaultLanguageId;
        path = StringFilePath(folder, languageId_);
    }

    HRESULT hr = XmlDom::Load(document.get(), path);
    if (hr != S_OK) {
        LogFile().Write(FAILED(hr) ? L"Com Exception (XMLHandler) " : L"XMLDom Load (XMLHandler) failed");
        problem_ = LocalFileProblem(path, kMaxLocalXmlBytes);
        if (problem_.empty())
            problem_ = L"not well-formed XML or not in its declared encoding";
        problem_ = path + L": " + problem_;
        LogFile().Write(L"String table not read: %s", problem_.c_str());
        return false;
    }
    XmlDom::NodeListPtr strings;
    if (FAILED(XmlDom::ElementsByTagName(document.get(), L"String", strings))) {
        LogFile().Write(L"XMLDom getElementsByTagName (XMLHandler) failed");
        return false;
    }
    long count = 0;
    hr = strings->get_length(&count);
    for (long i = 0; SUCCEEDED(hr) && i < count; ++i) {
        XmlDom::NodePtr element;
        hr = strings->get_item(i, element.put());
        if (FAILED(hr) || !element)
            break;
        HRESULT idResult = S_OK, valueResult = S_OK;
        auto id = XmlDom::Attribute(element.get(), L"ID", &idResult);
        auto value = XmlDom::Attribute(element.get(), L"Value", &valueResult);
        hr = FAILED(idResult) ? idResult : valueResult;
        if (id && value)
            table_.emplace(std::move(*id), std::move(*value)); // the first entry of a key stays
    }
    if (FAILED(hr)) {
        LogFile().Write(L"Com Exception (XMLHandler) ");
        return false;
    }
    // Which file a user's report came from: the language fallback is silent otherwise.
    LogFile().Write(L"String table %d.xml loaded: %d texts", static_cast<int>(languageId_),
                    static_cast<int>(table_.size()));
    return true;
}

std::wstring XMLHandler::GetString(const std::wstring& key) const
{
    auto it = table_.find(key);
    return it != table_.end() ? it->second : std::wstring();
}

XMLHandler& StringTable()
{
    static XMLHandler table;
    return table;
}

std::wstring LoadFailedText(const XMLHandler& strings)
{
    const std::wstring text = L"XML Loading Failed.";
    return strings.Problem().empty() ? text : text + L"\n\n" + strings.Problem();
}

std::wstring BuildWindowTitle(const XMLHandler& strings)
{
    std::wstring title = strings.GetString(L"TSY_TITLE_STRING");
    for (size_t at = title.find(L"%1"); at != std::wstring::npos; at = title.find(L"%1", at + 3))
        title.replace(at, 2, L"4.0");
    return title;
}
