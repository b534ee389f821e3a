#pragma once
#include <string>

#include "support/OSDescription.h"

// Short system text of the log banner, e.g. "Windows 7 , Service Pack 1, (64 Bit)".
std::wstring GetOSSummaryString();

class COSInformation {
public:
    // Fills `osinfo` for support and feedback links, logging each step.
    static void GetOSDisplayString(os_info& osinfo);
};
