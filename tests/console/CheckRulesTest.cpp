#include "console/CheckRules.h"

#include <gtest/gtest.h>

namespace {

using Reach = PrinterSnapshot::Reach;

PrinterSnapshot Healthy()
{
    PrinterSnapshot s;
    s.printer = L"127.0.0.10";
    s.address = L"127.0.0.10";
    s.reach = Reach::Answered;
    s.model = L"Kelo Workline 4420";
    s.pageCount = 18342;
    s.statusRead = true;
    s.statusPassed = true;
    s.statusCode = 0;
    s.inks = {{"black", L"Black", 72}, {"cyan", L"Cyan", 41}, {"magenta", L"Magenta", 58}};
    return s;
}

} // namespace

TEST(CheckRules, StatusLineStateAndPerformanceData)
{
    const CheckOutcome ok = EvaluateCheck(Healthy(), {});
    EXPECT_EQ(ok.state, CheckState::Ok);
    EXPECT_EQ(ok.line, L"KELO OK - Kelo Workline 4420: ready; ink lowest cyan 41%|'ink_black'=72%;20;10;0;100 "
                       L"'ink_cyan'=41%;20;10;0;100 'ink_magenta'=58%;20;10;0;100 'pages'=18342c;;;0");

    const struct {
        int32_t cyan;
        CheckThresholds thresholds;
        CheckState state;
    } levels[] = {
        {20, {}, CheckState::Ok},        {19, {}, CheckState::Warning}, {10, {}, CheckState::Warning},
        {9, {}, CheckState::Critical},   {0, {}, CheckState::Critical}, {41, {50, 45}, CheckState::Critical},
        {41, {50, 40}, CheckState::Warning}, {5, {0, 0}, CheckState::Ok},
    };
    for (const auto& c : levels) {
        PrinterSnapshot s = Healthy();
        s.inks[1].level = c.cyan;
        EXPECT_EQ(EvaluateCheck(s, c.thresholds).state, c.state) << c.cyan;
    }
}

TEST(CheckRules, ProblemsOutrankInk)
{
    PrinterSnapshot jam = Healthy();
    jam.statusPassed = false;
    jam.statusCode = 14;
    jam.statusText = L"Paper jam | clear it";
    const CheckOutcome jammed = EvaluateCheck(jam, {});
    EXPECT_EQ(jammed.state, CheckState::Critical);
    // The status text's own pipe must not start the performance data.
    EXPECT_EQ(jammed.line.substr(0, jammed.line.find(L'|')),
              L"KELO CRITICAL - Kelo Workline 4420: Paper jam / clear it; ink lowest cyan 41%");

    PrinterSnapshot silent = Healthy();
    silent.reach = Reach::NotAnswering;
    EXPECT_EQ(EvaluateCheck(silent, {}).line, L"KELO CRITICAL - Kelo Workline 4420: not answering");

    PrinterSnapshot stranger;
    stranger.printer = stranger.address = L"127.0.0.99";
    stranger.reach = Reach::NotAnswering;
    EXPECT_EQ(EvaluateCheck(stranger, {}).line, L"KELO UNKNOWN - 127.0.0.99: not answering");

    PrinterSnapshot unknown;
    unknown.printer = L"7";
    unknown.reach = Reach::UnknownPrinter;
    EXPECT_EQ(EvaluateCheck(unknown, {}).state, CheckState::Unknown);

    PrinterSnapshot noInk = Healthy();
    noInk.inks = {{"cyan", L"Cyan", -1}};
    noInk.pageCount = -1;
    EXPECT_EQ(EvaluateCheck(noInk, {}).line, L"KELO OK - Kelo Workline 4420: ready; no ink levels");
}
