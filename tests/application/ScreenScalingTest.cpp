// The application leaves the screen's pixels to the window: Qt's own scaling
// is off unless the user switched it on.
#include "ApplicationTestMain.h"

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

} // namespace
} // namespace QuillmarkTest
