#pragma once
// The feedback survey offered while the tool closes (English interface only), the survey link the
// result pages share, and the support links those pages open.
#include <windows.h>

#include <functional>
#include <string>

#include "app/DialogBase.h"
#include "support/OSDescription.h"


// Who asks for the survey: the feedback dialog may name no printer, a page always names one.
enum class SurveyCaller { Page, FeedbackDialog };

// " Mar 7 2013 9:5:2": month abbreviation, day, year, hour, minute, second, unpadded.
std::wstring SurveyTimeStamp(const SYSTEMTIME& time);
// The survey address with "&q8=" and the run's facts about the printer.
std::wstring DeviceSurveyLink(const std::wstring& address, const os_info& os, const std::wstring& printerName,
                              bool isNetwork, const std::wstring& errorTrail, const std::wstring& answerTrail);
// The survey address with "&q8=" for a run that never reached a printer.
std::wstring NoDeviceSurveyLink(const std::wstring& address, const os_info& os, const SYSTEMTIME& time);
// The link for this run as `caller` builds it; empty when a page has no printer to name.
std::wstring CurrentSurveyLink(SurveyCaller caller, const os_info& os, const SYSTEMTIME& now);

// The local time the no-printer form carries; tests fix it.
extern std::function<SYSTEMTIME()> surveyClock;

// Builds the link anew and opens it in the browser; a failed start is logged unless
// `logFailure` is false. Does nothing at all (and returns false) under error simulation.
bool OpenSurveyLink(SurveyCaller caller = SurveyCaller::Page, bool logFailure = true);

// The product hub link of the selected printer (customer care and troubleshooting links of the
// wizard pages); nothing without a printer.
void OpenProductSupport(const wchar_t* pageType);
// The looked-up address of `urlKey` as it stands; `failureFormat` (with one %s for the address)
// goes to the log when the browser does not start, unless it is null.
void OpenStringTableLink(const wchar_t* urlKey, const wchar_t* failureFormat);

class CFeedbackDlg : public CDialogBase {
public:
    CFeedbackDlg();
    ~CFeedbackDlg() override;

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnOK() override;
};
