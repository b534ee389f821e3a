#pragma once
// The wizard's state machine as plain decisions: what a page command does, what a test outcome
// leads to, and the step blink. The wizard window only carries these out.
#include <array>
#include <cstdint>
#include <optional>

namespace wizard {

// Page commands of message 1038.
inline constexpr int32_t kCmdRetryTest = 2;
inline constexpr int32_t kCmdShowPrintTest = 5;
inline constexpr int32_t kCmdNotSupported = 6;
inline constexpr int32_t kCmdPrintEvaluation = 7;
inline constexpr int32_t kCmdCopyTest = 8;
inline constexpr int32_t kCmdPrintBad = 9;
inline constexpr int32_t kCmdNoPrint = 10;
inline constexpr int32_t kCmdCopyEvaluation = 11;
inline constexpr int32_t kCmdFinal = 12;
inline constexpr int32_t kCmdCopyBad = 13;
inline constexpr int32_t kCmdNoCopy = 14;
inline constexpr int32_t kCmdPrintFailed = 15;
inline constexpr int32_t kCmdStatusWithLinks = 16;
inline constexpr int32_t kCmdStatusFault = 17;
inline constexpr int32_t kCmdPowerLoss = 18;
inline constexpr int32_t kCmdPrintTest = 19;
inline constexpr int32_t kCmdFeederError = 22;
inline constexpr int32_t kCmdConnectivity = 23;
inline constexpr int32_t kCmdPowerLossManual = 26;

// The first parameter of message 1035.
inline constexpr int32_t kOutcomeFailed = 0;
inline constexpr int32_t kOutcomePassed = 1;
inline constexpr int32_t kOutcomeAbandon = 2;
inline constexpr int32_t kOutcomeStarted = 3;

// A USB status that cannot be read counts as this code (a fault code).
inline constexpr int32_t kStatusUnreadable = 61;

// Status codes that send the user to the hardware fault form of the device status page.
inline constexpr std::array<int32_t, 31> kFaultCodes = {1,  2,  4,  8,  9,  11, 12, 14, 15, 16, 17,
                                                        21, 23, 26, 29, 30, 31, 32, 33, 38, 40, 42,
                                                        43, 49, 51, 53, 54, 56, 59, 60, 61};
bool IsFaultCode(int32_t statusCode);

// The wizard's pages.
enum class Page {
    None,
    Connectivity,
    PrintTest,
    NotSupported,
    PrintEvaluation,
    CopyTest,
    CopyEvaluation,
    Final,
    NoPrint,
    DeviceStatus,
    PrintBad,
    CopyFailed,
};

// When the shown page prepares itself for the command.
enum class Prepare { Never, BeforeShow, AfterShow };

// What one page command does, in this order: start the current test (and stop there when
// the current test index is 0 and `onlyTestAtIndexZero`), set the current test index, end
// the connectivity page, hand the device status page the simulated code (under simulation),
// prepare and show `page`, refresh it once shown, end the print test page.
struct CommandPlan {
    bool startTest = false;
    bool onlyTestAtIndexZero = false;
    std::optional<int32_t> setTestIndex;
    bool endConnectivity = false;
    Page page = Page::None;
    Prepare prepare = Prepare::Never;
    bool handSimulatedCode = false;
    bool refreshAfterShow = false;
    bool endPrintTest = false;
};

CommandPlan PlanPageCommand(int32_t command);

// The status code the outcome rules judge: a network printer's stored code, else the code
// read from the USB identification (-1 or no read: unreadable, 61).
int32_t JudgedStatusCode(bool isNetwork, int32_t recordStatusCode, std::optional<int32_t> usbStatusCode);

struct OutcomeFacts {
    int32_t testIndex = 0;
    int32_t outcome = kOutcomeFailed;
    int32_t statusCode = 0; // as JudgedStatusCode gives it
    bool adfStatus = false;
    bool statusShown = false;
};

enum class EndConnectivity { No, BeforeCommand, AfterCommand };

struct OutcomeDecision {
    bool startBlink = false;    // the test started: start the blink timer, set the blink flag
    bool destroyWizard = false; // abandon: the run is over
    std::optional<int32_t> setTestIndex;
    std::optional<int32_t> command; // sent to the wizard itself
    EndConnectivity endConnectivity = EndConnectivity::No;
    bool stopBlink = false;
};

OutcomeDecision DecideOutcome(const OutcomeFacts& facts);

// Whether an outcome needs the status code at all (everything but "started").
constexpr bool NeedsStatusCode(int32_t outcome) { return outcome != kOutcomeStarted; }

// The page that blinks for the current test index: the connectivity page for 0 and 1, the print
// test page for 2, none otherwise.
Page BlinkTarget(int32_t testIndex);

// One blink tick: the icon sent with message 1036 (3 when the flag is set, else 1), flipping
// the flag.
int32_t NextBlinkIcon(bool& blinkFlag);

} // namespace wizard
