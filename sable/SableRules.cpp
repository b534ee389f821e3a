#include "sable/SableRules.h"

#include <cwchar>
#include <cwctype>

#include "sable/UsbHttpFraming.h"

namespace sable {

namespace {

// The maker's schema host is the device's business; the documents name it as below.
constexpr std::string_view kSchemaHost = "http://schemas.kelo.example";
constexpr std::string_view kXsiNamespace = "http://www.w3.org/2001/XMLSchema-instance";

bool IsLeapYear(long year)
{
    return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0);
}

} // namespace

std::wstring ToLower(std::wstring_view text)
{
    std::wstring lower(text);
    for (wchar_t& c : lower)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return lower;
}

long WideDecimalPrefix(std::wstring_view text)
{
    std::string narrow;
    for (wchar_t c : text)
        narrow += static_cast<uint32_t>(c) < 0x80 ? static_cast<char>(c) : '?';
    return ParseDecimalPrefix(narrow);
}

std::wstring BornDateText(std::wstring_view serviceId)
{
    const long n = WideDecimalPrefix(serviceId);
    const long year = n / 1000 + 1990;
    long day = n % 1000;
    const long lengths[] = {31, IsLeapYear(year) ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    long month = 1;
    while (month <= 12 && day > lengths[month - 1]) {
        day -= lengths[month - 1];
        ++month;
    }
    if (month > 12)
        month = 0;
    wchar_t buffer[48] = {}; // room for three 64-bit longs
    std::swprintf(buffer, 48, L"%ld/%ld/%ld ", day, month, year);
    return buffer;
}

std::wstring ColourKey(std::wstring_view labelCode)
{
    const std::wstring code = ToLower(labelCode);
    if (code == L"k" || code == L"black")
        return L"TSY_COLOR_BLACK";
    if (code == L"c" || code == L"cyan")
        return L"TSY_COLOR_CYAN";
    if (code == L"m" || code == L"magenta")
        return L"TSY_COLOR_MAGENTA";
    if (code == L"y" || code == L"yellow")
        return L"TSY_COLOR_YELLOW";
    if (code == L"pk" || code == L"photo black")
        return L"TSY_COLOR_PHOTO_BLACK";
    if (code == L"cyanmagentayellow" || code == L"cmy" || code == L"cyan+magenta+yellow")
        return L"TSY_COLOR_TRICOLOR";
    return {};
}

bool IsInkType(std::wstring_view lowerType)
{
    return lowerType == L"ink" || lowerType == L"inkcartridge" || lowerType == L"introinksupply";
}

std::wstring DropsUsedText(std::wstring_view dropsCount)
{
    // Thousands as text: no product to overflow where long is as wide as long long.
    const long thousands = WideDecimalPrefix(dropsCount);
    return thousands == 0 ? L"0" : std::to_wstring(thousands) + L"000";
}

std::string InternalPrintDocument(std::string_view jobType)
{
    const std::string schema =
        std::string(kSchemaHost) + "/schemas/imaging/con/sable/internalprintdyn/2008/03/21";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><InternalPrintDyn xmlns=\"<" + schema + ">\" xmlns:xsi=\"<" +
           std::string(kXsiNamespace) + ">\" xsi:schemaLocation=\"<" + schema + " InternalPrintDyn.xsd>\">" +
           "\t<JobType>" + std::string(jobType) + "</JobType></InternalPrintDyn>";
}

std::string CalibrationDocument()
{
    const std::string schema =
        std::string(kSchemaHost) + "/schemas/imaging/con/cnx/markingagentcalibration/2009/04/08";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CalibrationState xmlns=\"" + schema + "\" xmlns:xsi=\"" +
           std::string(kXsiNamespace) + " \" xsi:schemaLocation=\"" + schema +
           " MarkingAgentCalibration_025.xsd\">Printing</CalibrationState>";
}

std::string JobRequestHead(std::string_view requestLine, size_t bodyLength)
{
    return std::string(requestLine) + JobExtraHeaders(bodyLength) + "HOST: \r\n\r\n";
}

std::string JobExtraHeaders(size_t bodyLength)
{
    return "Content-Length: " + std::to_string(bodyLength) + "\r\nContent-Type: text/xml\r\n";
}

JobAnswer ParseJobAnswer(std::string_view answer)
{
    JobAnswer result;
    const size_t statusEnd = answer.find("\r\n");
    if (statusEnd == std::string_view::npos)
        return result;
    result.accepted = answer.substr(0, statusEnd).find("201") != std::string_view::npos;
    const size_t start = answer.find("/Jobs/JobList");
    if (start == std::string_view::npos)
        return result;
    const size_t end = answer.find("\r\n", start + 1);
    if (end == std::string_view::npos)
        return result;
    result.location = std::string(answer.substr(start, end - start));
    return result;
}

} // namespace sable

namespace sable {

std::optional<size_t> ChooseTranslation(const std::vector<std::pair<uint16_t, uint16_t>>& pairs,
                                        uint16_t userLanguage)
{
    const auto first = [&](auto accept) -> std::optional<size_t> {
        for (size_t i = 0; i < pairs.size(); ++i)
            if (accept(pairs[i].first))
                return i;
        return std::nullopt;
    };
    if (pairs.empty())
        return std::nullopt;
    if (auto exact = first([&](uint16_t language) { return language == userLanguage; }))
        return exact;
    if (auto primary = first([&](uint16_t language) { return (language & 0xFF) == (userLanguage & 0xFF); }))
        return primary;
    if (auto neutral = first([](uint16_t language) { return language == 0 || (language & 0xFF) == 0; }))
        return neutral;
    if (auto english = first([](uint16_t language) { return (language & 0xFF) == 9; }))
        return english;
    return 0;
}

std::wstring ProductMatchName(std::wstring_view name)
{
    std::wstring text(name);
    for (size_t at = text.find(L" Plus "); at != std::wstring::npos; at = text.find(L" Plus ", at + 1))
        text.replace(at, 6, L" ");
    return ToLower(text);
}

bool ProductFolderMatches(std::wstring_view folderName, std::wstring_view modelName)
{
    const std::wstring folder = ProductMatchName(folderName);
    const std::wstring model = ProductMatchName(modelName);
    return folder.find(model) != std::wstring::npos || model.find(folder) != std::wstring::npos;
}

} // namespace sable
