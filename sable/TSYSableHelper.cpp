#include "sable/TSYSableHelper.h"

#include <algorithm>
#include <initializer_list>

namespace {

struct FlagGroup {
    int32_t flag;
    std::initializer_list<const wchar_t*> identifiers;
};

const FlagGroup kGroups[] = {
    {0, {L"ready", L"inPowerSave", L"connectingToWeb", L"downloadingFromWeb", L"genuineKelo", L"scannerAdfEmpty",
         L"calibrationRequired"}},
    {1, {L"deviceInteraction"}},
    {2, {L"processing", L"calibrating", L"copying", L"faxBusy", L"faxConnecting", L"faxDialing", L"faxProcessing",
         L"upgrading"}},
    {3, {L"shuttingDown"}},
    {5, {L"cancelJob"}},
    {6, {L"unknown"}},
    {7, {L"mediaDryTimeWait"}},
    {8, {L"closeDoorOrCover"}},
    {9, {L"trayEmptyOrOpen"}},
    {11, {L"unexpectedTypeInTray"}},
    {13, {L"BBCMediaDuplexNotSupported", L"mediaTooShortToAutoDuplex"}},
    {14, {L"jamInPrinter"}},
    {15, {L"carriageJam"}},
    {17, {L"cartridgeCounterfeit", L"cartridgeCounterfeitQuestion", L"cartridgeMissingOrJam", L"failedPrintHead",
          L"incompatiblePrintHead", L"incorrectCartridge", L"incorrectPrintHead", L"missingPrintHead",
          L"singleCartridgeMode", L"unsupportedCartridge"}},
    {21, {L"closePrintheadLatchDoor"}},
    {22, {L"outputBinFull"}},
    {23, {L"unexpectedSizeInTray"}},
    {25, {L"cartridgeInWrongOrder"}},
    {26, {L"cartridgeEmpty", L"replaceCartridgeOut"}},
    {28, {L"inkTooLowToPrime", L"inkSystemFailed"}},
    {29, {L"insertOrCloseTray2"}},
    {30, {L"badDuplexerConnection"}},
    {35, {L"outputBinClosed"}},
    {40, {L"nonKeloSupplyDetected", L"usedConsumable"}},
    {42, {L"sizeMismatchInTray"}},
    {47, {L"pickMotorStalled"}},
    {49, {L"cartridgeFailure", L"cartridgeAltered", L"cartridgeExpired", L"cartridgeMissing", L"cartridgeRefilled",
          L"cartridgeVeryLow", L"cartridgeLow", L"incompatibleConsumable", L"supplyForwardIncompatible"}},
    {51, {L"initializing"}},
    {53, {L"mediaUpsideDown"}},
    {56, {L"massStorageFilesFound"}},
    {59, {L"inputTrayFailedToDisengage", L"inputTrayFailedToEngage"}},
    {60, {L"printFailure", L"copyJobError", L"misprint"}},
    {64, {L"scannerAdfDoorOpen"}},
    {65, {L"scannerAdfJam"}},
};

wchar_t FoldCase(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool EqualIgnoringCase(const std::wstring& a, const std::wstring& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return FoldCase(x) == FoldCase(y); });
}

} // namespace

CTSYSableHelper::CTSYSableHelper()
{
    for (const FlagGroup& group : kGroups)
        for (const wchar_t* identifier : group.identifiers)
            table_.emplace(identifier, group.flag);
}

int32_t CTSYSableHelper::GetStatusFlag(const std::wstring& identifier) const
{
    for (const auto& [key, flag] : table_)
        if (EqualIgnoringCase(key, identifier))
            return flag;
    return kUnknownStatusFlag;
}
