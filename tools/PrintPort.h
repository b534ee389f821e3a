#pragma once
// What the print test and the reset share about a network printer's raw port.
#include <string>

// An address text as the sockets take it: converted with the thread's code page.
std::string NarrowAddress(const std::wstring& address);
