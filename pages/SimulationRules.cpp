#include "pages/SimulationRules.h"

#include <cwctype>
#include <limits>

#include "app/WizardRules.h"
#include "res/resource.h"

bool SimulatedCodeAccepted(int32_t kind, int32_t code)
{
    const uint32_t largest = kind == kSimulatedFeederError ? kLargestSimulatedFeeder : kLargestSimulatedStatus;
    return static_cast<uint32_t>(code) <= largest;
}

bool DirtyPowerUpOffered(int32_t code)
{
    return code <= kLargestSimulatedStatus && !wizard::IsFaultCode(code);
}

int32_t SimulatedStatusCommand(int32_t kind, int32_t code, bool dirtyPowerUp)
{
    switch (kind) {
    case kSimulatedStatusError:
        if (wizard::IsFaultCode(code))
            return wizard::kCmdStatusFault;
        return dirtyPowerUp ? wizard::kCmdPowerLoss : wizard::kCmdStatusWithLinks;
    case kSimulatedFeederError:
        return wizard::kCmdFeederError;
    default:
        return 0;
    }
}

std::optional<int32_t> ParseDialogInteger(const std::wstring& text)
{
    size_t at = 0;
    const auto skipBlanks = [&] {
        while (at < text.size() && std::iswspace(text[at]))
            ++at;
    };
    skipBlanks();
    bool negative = false;
    if (at < text.size() && (text[at] == L'-' || text[at] == L'+'))
        negative = text[at++] == L'-';
    const size_t digitsStart = at;
    int64_t value = 0;
    while (at < text.size() && text[at] >= L'0' && text[at] <= L'9') {
        value = value * 10 + (text[at++] - L'0');
        if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1)
            return std::nullopt;
    }
    if (at == digitsStart)
        return std::nullopt;
    skipBlanks();
    if (at != text.size())
        return std::nullopt;
    value = negative ? -value : value;
    if (value > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return static_cast<int32_t>(value);
}

std::optional<SimulatedOutcome> OutcomeOfMenuItem(unsigned int item)
{
    switch (item) {
    case ID_SIMULATE_CONNECTIVITY:
        return SimulatedOutcome{wizard::kCmdStatusFault, wizard::kStatusUnreadable};
    case ID_SIMULATE_PRINT_TEST_FAIL:
        return SimulatedOutcome{wizard::kCmdPrintFailed};
    case ID_SIMULATE_PRINT_BAD:
        return SimulatedOutcome{wizard::kCmdPrintBad};
    case ID_SIMULATE_NO_PRINT:
        return SimulatedOutcome{wizard::kCmdNoPrint};
    case ID_SIMULATE_COPY_FAILED:
        return SimulatedOutcome{wizard::kCmdNoCopy};
    case ID_SIMULATE_COPY_BAD:
        return SimulatedOutcome{wizard::kCmdCopyBad};
    case ID_SUCCESS_DEVICE_STATUS:
        return SimulatedOutcome{wizard::kCmdPrintTest, 0, true};
    case ID_SUCCESS_PRINT_TEST:
        return SimulatedOutcome{wizard::kCmdPrintEvaluation};
    case ID_SUCCESS_PRINT_EVALUATION:
        return SimulatedOutcome{wizard::kCmdCopyTest};
    case ID_SUCCESS_COPY_TEST:
        return SimulatedOutcome{wizard::kCmdCopyEvaluation};
    case ID_SUCCESS_COPY_EVALUATION:
        return SimulatedOutcome{wizard::kCmdFinal};
    default:
        return std::nullopt;
    }
}
