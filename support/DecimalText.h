#pragma once
// The leading decimal number of a text, as strtol reads it and saturating like it.
// Plain C++ without system headers.
#include <string_view>

// Standard base-10 conversion: white space and a sign, digits up to the first other character.
long ParseDecimalPrefix(std::string_view text);
// The same for wide text (characters outside ASCII end the number), 0 for none.
long WideDecimalPrefix(std::wstring_view text);
