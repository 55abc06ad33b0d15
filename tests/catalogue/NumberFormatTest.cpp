#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

#include "catalogue/DecimalSeparator.h"
#include "catalogue/NumberFormat.h"
#include "catalogue/NumberSyntax.h"
#include "common/TestFiles.h"

namespace QuillmarkTest {

using namespace Quillmark;

struct TFormatCase {
  std::int64_t Units;
  std::u16string Text;
};

TEST(NumberFormat, DurationInTheGeneralFormat)
{
  const TFormatCase Cases[] = {
      {0, u"0"},
      {25000000, u"2.5"},
      {10000000, u"1"},
      {100000000, u"10"},
      {-25000000, u"-2.5"},
      {1, u"1E-7"},
      {150, u"1.5E-5"},
      {999, u"9.99E-5"},
      {-1, u"-1E-7"},
      {1000, u"0.0001"},
      {1234, u"0.0001234"},
      {123456789, u"12.3456789"},
      {std::numeric_limits<std::int64_t>::max(), u"922337203685.478"},
      {std::numeric_limits<std::int64_t>::min(), u"-922337203685.478"},
      {9999999999999999, u"1000000000"}, // 999999999.9999999 rounds up at 15 digits
      {9999999999999949, u"999999999.999995"},
      {600000000000, u"60000"},
  };
  for (const TFormatCase& Case : Cases) {
    EXPECT_EQ(FormatDuration(Case.Units, u'.'), Case.Text) << Case.Units;
  }
}

TEST(NumberFormat, DurationUsesTheGivenSeparator)
{
  EXPECT_EQ(FormatDuration(25000000, u','), u"2,5");
  EXPECT_EQ(FormatDuration(150, u','), u"1,5E-5");
}

TEST(NumberFormat, ShownDurationsParseBackToTheSameUnits)
{
  for (const std::int64_t Units : {std::int64_t{1}, std::int64_t{150}, std::int64_t{1000},
                                   std::int64_t{25000000}, std::int64_t{123456789012345}}) {
    EXPECT_EQ(ParseDurationUnits(FormatDuration(Units, u','), u','), Units);
  }
}

TEST(NumberFormat, ParallaxSignedAndTitleIndexUnsigned)
{
  EXPECT_EQ(FormatParallax(0xFFFFFFF6U), u"-10");
  EXPECT_EQ(FormatParallax(12), u"12");
  EXPECT_EQ(FormatParallax(0x80000000U), u"-2147483648");
  EXPECT_EQ(FormatTitleIndex(0xFFFFFFFFU), u"4294967295");
  EXPECT_EQ(FormatTitleIndex(0), u"0");
}

TEST(DecimalSeparator, SetterOverridesTheLocale)
{
  const char16_t Saved = DecimalSeparator();
  SetDecimalSeparator(u',');
  EXPECT_EQ(DecimalSeparator(), u',');
  SetDecimalSeparator(Saved);
  EXPECT_EQ(DecimalSeparator(), Saved);
}

namespace {

// Sets an environment variable for one scope.
class TEnvironment {
public:
  TEnvironment(const char* Name, const std::string& Value) : FName(Name)
  {
    const char* Old = std::getenv(Name);
    FHad = Old != nullptr;
    FOld = FHad ? Old : "";
    setenv(Name, Value.c_str(), 1);
  }
  ~TEnvironment()
  {
    if (FHad) {
      setenv(FName, FOld.c_str(), 1);
    } else {
      unsetenv(FName);
    }
  }
  TEnvironment(const TEnvironment&) = delete;
  TEnvironment& operator=(const TEnvironment&) = delete;

private:
  const char* FName;
  std::string FOld;
  bool FHad = false;
};

} // namespace

TEST(DecimalSeparator, GermanLocaleGivesACommaWithoutChangingTheProcess)
{
  TTempDir Locales;
  if (RunCommand("localedef -i de_DE -f UTF-8 '" + Locales.File("de_DE.UTF-8").string() + "' 2>/dev/null") !=
      0) {
    GTEST_SKIP() << "localedef cannot build de_DE";
  }
  const TEnvironment Path("LOCPATH", Locales.Path().string());
  const TEnvironment All("LC_ALL", "de_DE.UTF-8");
  EXPECT_EQ(LocaleDecimalSeparator(), u',');
  EXPECT_EQ(std::string(std::localeconv()->decimal_point), ".");
}

TEST(DecimalSeparator, UnknownLocaleGivesAFullStop)
{
  const TEnvironment All("LC_ALL", "no_such_locale.UTF-8");
  EXPECT_EQ(LocaleDecimalSeparator(), u'.');
  const TEnvironment Plain("LC_ALL", "C");
  EXPECT_EQ(LocaleDecimalSeparator(), u'.');
}

} // namespace QuillmarkTest
