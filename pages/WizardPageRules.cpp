#include "pages/WizardPageRules.h"

std::wstring PageHeading(const std::wstring& headingText, const Device_Dev* device)
{
    if (device == nullptr)
        return headingText + L"  Kelo Dummy Printer"; // the placeholder brings its own blank
    const std::wstring& name = device->friendlyName.empty() ? device->deviceName : device->friendlyName;
    return headingText + L" " + name;
}

std::wstring LinkMarkup(const std::wstring& linkText) { return L"<a>" + linkText + L"</a>"; }

std::wstring LinkWithText(const std::wstring& before, const std::wstring& linkText, const std::wstring& after)
{
    std::wstring text = LinkMarkup(linkText);
    if (!before.empty())
        text = before + L" " + text;
    if (!after.empty())
        text += L" " + after;
    return text;
}
