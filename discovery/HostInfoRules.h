#pragma once
// Decisions of device information that need no system: the born date of a service id, which
// translation of a version resource to read, and whether a product folder belongs to a model.
// Plain C++ without system headers.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// "day/month/year " from a service id: year = n / 1000 + 1990, day of year = n mod 1000;
// month 0 when the day is past December.
std::wstring BornDateText(std::wstring_view serviceId);

// Which (language, code page) pair of a version resource to read: the user's language,
// else the same primary language, else a neutral one, else English, else the first.
// Nothing for an empty list.
std::optional<size_t> ChooseTranslation(const std::vector<std::pair<uint16_t, uint16_t>>& pairs,
                                        uint16_t userLanguage);

// A model or folder name as the product folder match compares it: " Plus " becomes one
// blank, then lower case.
std::wstring ProductMatchName(std::wstring_view name);
// Whether a product folder belongs to the model: either name contains the other.
bool ProductFolderMatches(std::wstring_view folderName, std::wstring_view modelName);
