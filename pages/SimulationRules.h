#pragma once
// What the error simulation decides without a window: the codes each kind accepts, the dirty
// power-up box, the page a simulated status code leads to, the menu's outcomes, and integer entry.
#include <cstdint>
#include <optional>
#include <string>

#include "app/engine/SimulationKinds.h"

inline constexpr int32_t kLargestSimulatedStatus = 60;
inline constexpr int32_t kLargestSimulatedFeeder = 6;

// Codes are compared as unsigned numbers, so a negative code is out of range.
bool SimulatedCodeAccepted(int32_t kind, int32_t code);
// "Show Dirty Powerup" is offered for a code up to 60 that is not a fault code.
bool DirtyPowerUpOffered(int32_t code);
// The page command a chosen code leads to: fault code 17, dirty power-up 18, other status 16,
// feeder 22; 0 for an unknown kind.
int32_t SimulatedStatusCommand(int32_t kind, int32_t code, bool dirtyPowerUp);
// A whole decimal integer as a dialog field takes it (blanks around it, one sign); nothing for
// any other text, the empty text and values outside 32 bits.
std::optional<int32_t> ParseDialogInteger(const std::wstring& text);

// What a menu item simulates: the wizard's first page command and the pretended status code.
struct SimulatedOutcome {
    int32_t pageCommand = 0;
    int32_t statusCode = 0;
    bool afterDeviceStatus = false; // the current test becomes the device status test first
};
// The outcome of an error simulation menu item; nothing for the items that ask for a code first
// and for any other id.
std::optional<SimulatedOutcome> OutcomeOfMenuItem(unsigned int item);
