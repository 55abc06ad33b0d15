// The application leaves the screen's pixels to the window: Qt's own scaling
// is off unless the user switched it on.
#include "ApplicationTestMain.h"

#include "support/QtPlatform.h"
#include "window/Application.h"

#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

namespace QuillmarkTest {
namespace {

TEST(ScreenScaling, QtsScalingIsLeftOffSoAWindowPixelIsAScreenPixel)
{
  EXPECT_EQ(qgetenv(Quillmark::HighDpiScalingVariable), QByteArray("0"));
  ASSERT_NE(QGuiApplication::primaryScreen(), nullptr);
  EXPECT_EQ(QGuiApplication::primaryScreen()->devicePixelRatio(), 1.0);
}

// Run a second time with QT_SCREEN_SCALE_FACTORS set (see the tests'
// CMakeLists.txt): Qt scales the window as the user asked, and the window
// keeps its design's own resolution rather than adapting a second time.
TEST(ScaledScreen, AUserScaleFactorScalesTheWindowOnce)
{
  ASSERT_NE(QGuiApplication::primaryScreen(), nullptr);
  if (QGuiApplication::primaryScreen()->devicePixelRatio() == 1.0) {
    GTEST_SKIP() << "Qt does not scale this screen";
  }
  EXPECT_EQ(Quillmark::TQtPlatform().ScreenPpi(), 96);
}

} // namespace
} // namespace QuillmarkTest
