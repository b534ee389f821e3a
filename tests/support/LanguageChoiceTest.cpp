#include <gtest/gtest.h>

#include "support/LanguageChoice.h"

TEST(LanguageChoice, PicksTheSupportedLanguageOfTheSamePrimaryLanguage)
{
    const struct {
        unsigned short user, expected;
    } cases[] = {
        {1033, 1033}, {2057, 1033}, {3082, 1034}, {1036, 1036}, {3084, 1036}, {1041, 1041},
        {1092, 1033}, // Tatar is not offered
        {2070, 1046}, // Portuguese (Portugal) takes the only Portuguese file
        {2052, 2052}, {1028, 1028}, {3076, 1028}, {4100, 2052}, {5124, 2052}, // Chinese sublanguages
        {0, 1033},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseUiLanguage(c.user), c.expected) << c.user;
}

TEST(LanguageChoice, BuildsTheStringFilePath)
{
    EXPECT_EQ(StringFilePath(L"C:\\Tools\\Kelo", 1033), L"C:\\Tools\\Kelo\\strings\\1033.xml");
    EXPECT_EQ(StringFilePath(L"C:\\x", 9), L"C:\\x\\strings\\   9.xml");
}
