// Icon files the fuzzer kept (fuzz/findings/icon) pass its checks again:
// what decodes is no larger than an icon image may be, what is drawn has
// the size asked for.
#include "common/FuzzFindings.h"

#include <gtest/gtest.h>

namespace QuillmarkTest {
namespace {

TEST(IconFuzzRegression, FindingsPassTheTargetsChecks)
{
  ReplayFuzzFindings("icon", FuzzIconInput);
}

} // namespace
} // namespace QuillmarkTest
