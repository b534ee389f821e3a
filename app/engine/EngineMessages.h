#pragma once
// What the diagnosis engine tells the window that follows a run.
#include <windows.h>

inline constexpr UINT kMsgTestProgress = 1035; // test worker -> wizard

// First parameter of kMsgTestProgress.
inline constexpr WPARAM kProgressFailed = 0;
inline constexpr WPARAM kProgressPassed = 1;
inline constexpr WPARAM kProgressAbandon = 2;
inline constexpr WPARAM kProgressStarted = 3;
