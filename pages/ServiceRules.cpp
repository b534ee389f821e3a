#include "pages/ServiceRules.h"

#include <algorithm>
#include <cwctype>
#include <span>

namespace services {

namespace {

constexpr const wchar_t* kPrintQualityExclusions[] = {L"a011", L"ac11", L"9a11", L"9411", L"9b11", L"8911",
                                                      L"8811", L"9311", L"9511", L"be11", L"b911", L"8711"};
// The same products can be neither aligned nor cleaned.
constexpr const wchar_t* kHeadServiceExclusions[] = {L"b311", L"ab11", L"a311", L"bf11", L"c011", L"aa11"};

std::span<const wchar_t* const> ListOf(Service service)
{
    if (service == Service::PrintQuality)
        return kPrintQualityExclusions;
    return kHeadServiceExclusions;
}

} // namespace

bool Excluded(Service service, const std::wstring& productId)
{
    if (productId.empty())
        return false;
    std::wstring id = productId;
    std::transform(id.begin(), id.end(), id.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c))); });
    const auto list = ListOf(service);
    return std::any_of(list.begin(), list.end(),
                       [&](const wchar_t* entry) { return std::wstring(entry).find(id) != std::wstring::npos; });
}

std::array<RowState, 4> RowStates(const std::wstring& productId, bool printsDiagnosticsPage)
{
    return {RowState{true, !Excluded(Service::PrintQuality, productId)},
            RowState{true, !Excluded(Service::Alignment, productId)},
            RowState{true, !Excluded(Service::Cleaning, productId)},
            RowState{printsDiagnosticsPage, printsDiagnosticsPage}};
}

} // namespace services
