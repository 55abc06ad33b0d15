#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "catalogue/NumberSyntax.h"

namespace QuillmarkTest {

using namespace Quillmark;

struct TDurationCase {
  std::u16string Text;
  std::optional<std::int64_t> Units;
};

TEST(NumberSyntax, DurationTextsGiveTheirUnits)
{
  const TDurationCase Cases[] = {
      {u"2.5", 25000000},
      {u" 2.5 ", 25000000},
      {u"   2.5", 25000000},
      {u"1e1", 100000000},
      {u"1E+1", 100000000},
      {u"25e-1", 25000000},
      {u"0", 0},
      {u"-0", 0},
      {u"5", 50000000},
      {u"5.", 50000000},
      {u".5", 5000000},
      {u"+.5", 5000000},
      {u"5.5", 55000000},
      {u"-1", -10000000},
      {u"-0.00000004", 0},
      {u"0.00000005", 0}, // a half, to the even 0
      {u"0.00000015", 2}, // a half, to the even 2
      {u"0.00000025", 2},
      {u"0.000000051", 1}, // just above a half
      {u"0.0000000499999999999999999", 0},
      {u"1e-400", 0},
      {u"922337203685.4775807", std::numeric_limits<std::int64_t>::max()},
      {u"-922337203685.4775808", std::numeric_limits<std::int64_t>::min()},
      {u"000000000000000000000000002.5", 25000000},
      {u"2.50000000000000000000000000", 25000000},
  };
  for (const TDurationCase& Case : Cases) {
    EXPECT_EQ(ParseDurationUnits(Case.Text, u'.'), Case.Units)
        << std::string(Case.Text.begin(), Case.Text.end());
  }
}

TEST(NumberSyntax, DurationTextsThatAreNoNumber)
{
  const std::u16string Cases[] = {
      u"",   u" ",   u".",     u"-",   u"+",   u"abc",  u"2,5",     u"2.5.1", u"1e",   u"1e+",
      u"e5", u"- 1", u"1 000", u"\t2", u"2\t", u"0x10", u"1.5e2.1", u"++1",   u"2.5s", u"1e 1",
  };
  for (const std::u16string& Text : Cases) {
    EXPECT_EQ(ParseDurationUnits(Text, u'.'), std::nullopt) << std::string(Text.begin(), Text.end());
  }
}

TEST(NumberSyntax, DurationsBeyondSixtyFourBitsAreNone)
{
  EXPECT_EQ(ParseDurationUnits(u"922337203685.4775808", u'.'), std::nullopt);
  EXPECT_EQ(ParseDurationUnits(u"1e400", u'.'), std::nullopt);
  EXPECT_EQ(ParseDurationUnits(u"1e99999999999999999999999", u'.'), std::nullopt);
  EXPECT_EQ(ParseDurationUnits(u"-1e30", u'.'), std::nullopt);
  EXPECT_EQ(ParseDurationUnits(u"99999999999999999999999999", u'.'), std::nullopt);
}

TEST(NumberSyntax, DurationUsesTheGivenSeparator)
{
  EXPECT_EQ(ParseDurationUnits(u"2,5", u','), 25000000);
  EXPECT_EQ(ParseDurationUnits(u"2.5", u','), std::nullopt);
  EXPECT_EQ(ParseDurationUnits(u",5e1", u','), 50000000);
}

struct TIntegerCase {
  std::u16string Text;
  std::optional<std::int32_t> Value;
};

TEST(NumberSyntax, IntegerTexts)
{
  const TIntegerCase Cases[] = {
      {u"12", 12},
      {u" 12", 12},
      {u"12 ", std::nullopt},
      {u"-12", -12},
      {u"+12", 12},
      {u"0", 0},
      {u"007", 7},
      {u"2147483647", 2147483647},
      {u"2147483648", std::nullopt},
      {u"-2147483648", std::numeric_limits<std::int32_t>::min()},
      {u"-2147483649", std::nullopt},
      {u"99999999999999999999", std::nullopt},
      {u"$10", 16},
      {u"x10", 16},
      {u"X1f", 31},
      {u"0x10", 16},
      {u"0XaB", 171},
      {u"-$10", -16},
      {u"+$10", 16},
      {u"$FFFFFFFF", -1},
      {u"$80000000", std::numeric_limits<std::int32_t>::min()},
      {u"-$FFFFFFFF", 1},
      {u"$000000010", 16},
      {u"0x1FFFFFFFF", std::nullopt},
      {u"$100000000", std::nullopt},
      {u"$", std::nullopt},
      {u"0x", std::nullopt},
      {u"$G", std::nullopt},
      {u"", std::nullopt},
      {u" ", std::nullopt},
      {u"-", std::nullopt},
      {u"- 1", std::nullopt},
      {u"1.0", std::nullopt},
      {u"1e3", std::nullopt},
      {u"\t1", std::nullopt},
      {u"$ 10", std::nullopt},
      {u"0$10", std::nullopt},
  };
  for (const TIntegerCase& Case : Cases) {
    EXPECT_EQ(ParseInteger(Case.Text), Case.Value) << std::string(Case.Text.begin(), Case.Text.end());
  }
}

TEST(NumberSyntax, BlankAndTrimmedCountEveryControlCharacter)
{
  EXPECT_TRUE(IsBlank(u""));
  EXPECT_TRUE(IsBlank(u" \t\r\n\x01"));
  EXPECT_FALSE(IsBlank(u" x "));
  EXPECT_EQ(Trimmed(u"\t a b \r\n"), u"a b");
  EXPECT_EQ(Trimmed(u"\x00A0x\x00A0"), u"\x00A0x\x00A0"); // no-break space is text
}

} // namespace QuillmarkTest
