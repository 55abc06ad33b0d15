// Values files the fuzzer kept (fuzz/findings/values) pass its checks again:
// each is taken or refused with a message, and what is taken prints back.
#include "common/FuzzFindings.h"

#include <gtest/gtest.h>

namespace QuillmarkTest {
namespace {

TEST(ValuesFuzzRegression, FindingsPassTheTargetsChecks)
{
  ReplayFuzzFindings("values", FuzzValuesInput);
}

} // namespace
} // namespace QuillmarkTest
