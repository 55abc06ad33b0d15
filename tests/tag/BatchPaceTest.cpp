// The pace shown beside "n of N" on a long batch.
#include "tag/BatchPace.h"

#include <gtest/gtest.h>

namespace {

using Quillmark::PaceText;
using TSeconds = std::chrono::duration<double>;

TEST(BatchPace, SaysTheRateAndTimeLeftOnceItIsKnown)
{
  struct TCase {
    std::size_t Done;
    std::size_t Total;
    double Seconds;
    const char* Said;
  };
  const TCase Cases[] = {
      {5, 100'000, 10.0, ""},                               // too few files to say
      {5'000, 100'000, 1.0, ""},                            // too soon to say
      {100'000, 100'000, 50.0, ""},                         // done
      {2'000, 100'000, 2.0, ", 1000 files/s, 1:38 left"},   // 98 s
      {50'000, 100'000, 25.0, ", 2000 files/s, 0:25 left"}, // exact seconds
      {10, 100'000, 20.0, ", 0.5 files/s, 55:33:00 left"},  // hours, a slow rate
      {1'000, 1'001, 10.0, ", 100 files/s, 0:01 left"},     // a part of a second rounds up
  };
  for (const TCase& Case : Cases) {
    EXPECT_EQ(PaceText(Case.Done, Case.Total, TSeconds(Case.Seconds)), Case.Said) << Case.Done;
  }
}

} // namespace
