#pragma once
// The private window messages between the test worker, the wizard, the pages and the main window.
#include <windows.h>

#include "app/engine/EngineMessages.h" // kMsgTestProgress (1035) and its parameters

inline constexpr UINT kMsgPageCommandToMain = 1034;  // pages -> main window
inline constexpr UINT kMsgStepBlink = 1036;          // wizard -> progress pages
inline constexpr UINT kMsgSimulatedStatus = 1037;    // error simulation -> main window
inline constexpr UINT kMsgPageCommand = 1038;        // wizard and pages -> wizard
inline constexpr UINT kMsgOperationDone = 1039;      // popup worker -> progress popup
inline constexpr UINT kMsgFillFirmware = 1040;       // main window -> firmware page
inline constexpr UINT kMsgReadDeviceAgain = 1041;    // tab pages -> main window
inline constexpr UINT kMsgRepaint = 1042;            // pages -> main window
// Anyone -> page: where its frame is drawn, in its client coordinates: w-parameter 0 asks for the
// top left corner, 1 for the bottom right, as MAKELRESULT(x, y); 0 without a frame.
inline constexpr UINT kMsgFrameCorner = 1043;
