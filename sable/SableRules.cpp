#include "sable/SableRules.h"

#include <cwchar>
#include <cwctype>

#include "sable/UsbHttpFraming.h"
#include "support/DecimalText.h"

namespace sable {

namespace {

// The maker's schema host is the device's business; the documents name it as below.
constexpr std::string_view kSchemaHost = "http://schemas.kelo.example";
constexpr std::string_view kXsiNamespace = "http://www.w3.org/2001/XMLSchema-instance";

} // namespace

std::wstring ToLower(std::wstring_view text)
{
    std::wstring lower(text);
    for (wchar_t& c : lower)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return lower;
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
    // Namespace names as they are: in angle brackets the attribute would not be XML at all, and
    // a printer's parser refuses the whole request.
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><InternalPrintDyn xmlns=\"" + schema + "\" xmlns:xsi=\"" +
           std::string(kXsiNamespace) + "\" xsi:schemaLocation=\"" + schema + " InternalPrintDyn.xsd\">" +
           "\t<JobType>" + std::string(jobType) + "</JobType></InternalPrintDyn>";
}

std::string CalibrationDocument()
{
    const std::string schema =
        std::string(kSchemaHost) + "/schemas/imaging/con/cnx/markingagentcalibration/2009/04/08";
    // The schema-instance namespace without a blank after it: with one it names another namespace.
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CalibrationState xmlns=\"" + schema + "\" xmlns:xsi=\"" +
           std::string(kXsiNamespace) + "\" xsi:schemaLocation=\"" + schema +
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
