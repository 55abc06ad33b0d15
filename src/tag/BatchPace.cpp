#include "tag/BatchPace.h"

#include <cmath>
#include <cstdio>

namespace Quillmark {

namespace {

constexpr double SettledSeconds = 2.0;
constexpr std::size_t SettledFiles = 10;

std::string Clock(double Seconds)
{
  const auto Whole = static_cast<unsigned long long>(std::ceil(Seconds));
  char Text[32];
  if (Whole >= 3600) {
    std::snprintf(Text, sizeof Text, "%llu:%02llu:%02llu", Whole / 3600, Whole / 60 % 60, Whole % 60);
  } else {
    std::snprintf(Text, sizeof Text, "%llu:%02llu", Whole / 60, Whole % 60);
  }
  return Text;
}

} // namespace

std::string PaceText(std::size_t Done, std::size_t Total, std::chrono::duration<double> Elapsed)
{
  const double Seconds = Elapsed.count();
  if (Seconds < SettledSeconds || Done < SettledFiles || Done >= Total) {
    return {};
  }
  const double Rate = static_cast<double>(Done) / Seconds;
  char Text[48];
  // Slow batches (large copies) keep a decimal, so that the rate is not 0.
  std::snprintf(Text, sizeof Text, Rate < 10 ? ", %.1f files/s, " : ", %.0f files/s, ", Rate);
  return Text + Clock(static_cast<double>(Total - Done) / Rate) + " left";
}

} // namespace Quillmark
