#pragma once
// Decisions of the device status page: which status flag it explains, which string keys and
// controls each variant uses, what Retry sends and when the troubleshooting steps apply.
#include <array>
#include <cstdint>
#include <string>

namespace devstatus {

// The page commands that select a variant.
inline constexpr int32_t kPrintFailed = 15;
inline constexpr int32_t kWithLinks = 16;
inline constexpr int32_t kFault = 17;
inline constexpr int32_t kPowerLoss = 18;
inline constexpr int32_t kFeeder = 22;
inline constexpr int32_t kPowerLossManual = 26;

// "Status not available"; feeder conditions are numbered from 62 on.
inline constexpr int32_t kStatusUnavailable = 61;
inline constexpr int32_t kFeederBase = 62;

// Where the flag a variant explains comes from.
enum class FlagSource { None, Simulated, Record, UsbIdentification };
FlagSource FlagSourceFor(int32_t variant, bool simulation, bool isNetwork, int32_t testIndex);

// -1 (unknown) becomes 61; the feeder variant takes feeder flags from 62 on as 0, 1, ...
int32_t NormalizeFlag(int32_t variant, int32_t flag);

// The two string keys that explain a flag in a variant; both empty for a negative flag and
// for the print failure.
struct StatusKeys {
    std::wstring status;
    std::wstring error;
};
StatusKeys KeysFor(int32_t variant, int32_t flag);

// What the variant adds to the run's error trail; `statusText` is the looked-up status text.
std::wstring ErrorTrailEntry(int32_t variant, int32_t flag, int32_t testIndex, const std::wstring& statusText);

// Whether the troubleshooting steps fit the stopped step and the flag.
bool TroubleshootingApplies(int32_t variant, bool simulation, int32_t testIndex, int32_t flag, bool adfStatus);

// Which controls a variant shows; everything else is hidden and disabled.
struct Layout {
    bool retry = false;
    bool cancel = false;
    bool close = false;
    bool troubleshoot = false;
    bool resetsTitle = false; // static 1092
    bool picture = false;     // button 1146
    bool manualSteps = false; // link 1036
    int careLink = 0;         // IDC_CARE_FRAMED or IDC_STATUS_CARE_LINK with the care text, 0 for none
    bool supportLinks = false; // 1211 and 1041
    bool feedback = false;    // 1037
    bool frame = false;       // the page's shorter frame
};
Layout LayoutFor(int32_t variant, bool troubleshooting, int32_t flag, int32_t languageId);

// What Retry does at a test index: the page command, and the test index set first (-1: none).
struct RetryPlan {
    int32_t command;
    int32_t setIndex;
};
RetryPlan RetryFor(int32_t testIndex);

// Link 1038 opens the survey after the last steps instead of the customer care link.
bool CareLinkOpensSurvey(int32_t testIndex, int32_t variant);

// Icons of the six step rows (StepIcon values).
std::array<int32_t, 6> StepIconsFor(int32_t testIndex, bool statusVerdict, bool simulation, int32_t simulatedFlag);

// The key of the troubleshooting steps for a case; empty when there are none.
std::wstring TroubleshootStepsKey(int32_t caseNumber);

// Every two-character sequence backslash-n becomes a line feed.
std::wstring ExpandLineBreaks(const std::wstring& text);

// The customer care text: the care message with the link text marked as a link, then the
// additional help.
std::wstring CareText(const std::wstring& message, const std::wstring& linkText, const std::wstring& additional);

// The looked-up texts the message area is built from.
struct MessageParts {
    std::wstring heading, status, error, powerLoss, linkMessage, printFailed;
};
std::wstring MessageText(int32_t variant, const MessageParts& parts);

} // namespace devstatus
