#include "libkernwick/font/charactercode.h"

#include "namedcase.h"

#include <gtest/gtest.h>

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

struct CodeCase : NamedCase
{
    const char16_t *typed;
    std::optional<int> code;
};

class CharacterCode : public ::testing::TestWithParam<CodeCase>
{
};

TEST_P(CharacterCode, IsReadFromWhatTheUserTyped)
{
    EXPECT_EQ(characterCodeFrom(QString::fromUtf16(GetParam().typed)), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CharacterCode,
    ::testing::Values(
        CodeCase{"Character", u"\u00C9", 0xC9}, CodeCase{"LoneDigitIsItsCharacter", u"7", 55},
        CodeCase{"Decimal", u" 201 ", 201}, CodeCase{"Hexadecimal", u"0xC9", 0xC9},
        CodeCase{"UnicodeNotation", u"u+00c9", 0xC9}, CodeCase{"Space", u" ", std::nullopt},
        CodeCase{"Empty", u"", std::nullopt}, CodeCase{"TwoCharacters", u"ab", std::nullopt},
        CodeCase{"BadHexadecimal", u"0xZZ", std::nullopt},
        CodeCase{"BeyondAFontsCodes", u"U+1F600", std::nullopt},
        CodeCase{"CharacterBeyondAFontsCodes", u"\U0001F600", std::nullopt},
        CodeCase{"LargestCode", u"65535", 65535}, CodeCase{"Negative", u"-5", std::nullopt}),
    CaseName());

} // namespace
