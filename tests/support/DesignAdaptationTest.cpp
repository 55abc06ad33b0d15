// The one design adaptation that the main window, the About dialog and the
// localization tables share.
#include "support/DesignAdaptation.h"

#include <QLabel>
#include <QWidget>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>

namespace QuillmarkTest {
namespace {

using namespace Quillmark;

TEST(DesignAdaptation, MarginsScaleByThePpiTruncatingTowardZero)
{
  struct TCase {
    std::int64_t Value;
    int Ppi;
    std::int64_t Expected;
  };
  const TCase Cases[] = {
      {10, 96, 10},
      {9, 96, 9},
      {14, 96, 14},
      {10, 120, 12},
      {9, 120, 11},
      {14, 120, 17},
      {10, 144, 15},
      {9, 144, 13},
      {14, 144, 21},
      {-5, 120, -6},
      {std::numeric_limits<std::int32_t>::max(), 144,
       std::int64_t{std::numeric_limits<std::int32_t>::max()} * 3 / 2},
  };
  for (const TCase& Case : Cases) {
    EXPECT_EQ(ScaleByPpi(Case.Value, Case.Ppi), Case.Expected) << Case.Value << " at " << Case.Ppi;
  }
}

TEST(DesignAdaptation, ScalesTaggedComponentsOnlyWhenTheTextHeightDiffers)
{
  for (int Ppi : {96, 120, 144}) {
    QWidget Form;
    auto* Tagged = new QLabel(&Form);
    Tagged->setProperty("tag", 0);
    Tagged->setGeometry(10, 20, 100, 13);
    auto* Untagged = new QLabel(&Form);
    Untagged->setGeometry(10, 40, 100, 13);
    const int Measured = AdaptDesign(Form, QStringLiteral("DejaVu Sans"), 11, Ppi);
    EXPECT_EQ(Measured, DigitHeight(Form.font())) << Ppi;
    EXPECT_EQ(Tagged->geometry(), ScaleDesigned(QRect(10, 20, 100, 13), Measured, DesignDigitHeight)) << Ppi;
    EXPECT_EQ(Untagged->geometry(), QRect(10, 40, 100, 13)) << Ppi;
    EXPECT_EQ(Bottom(Tagged), Tagged->y() + Tagged->height());
  }
}

} // namespace
} // namespace QuillmarkTest
