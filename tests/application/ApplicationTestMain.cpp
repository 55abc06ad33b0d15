// Entry point of the application tests: the program's own application
// class, offscreen, reporting errors to a scripted platform.
#include "ApplicationTestMain.h"

#include "window/Application.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace QuillmarkTest {

TScriptedPlatform& ApplicationPlatform()
{
  static TScriptedPlatform Platform;
  return Platform;
}

} // namespace QuillmarkTest

int main(int argc, char** argv)
{
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Quillmark::TApplication Application(argc, argv, QuillmarkTest::ApplicationPlatform());
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
