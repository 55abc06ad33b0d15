#include "metadata/asf/PaddingPolicy.h"

#include <algorithm>

namespace Quillmark::Asf {

std::uint64_t GrowthPadding(std::uint64_t FileSize)
{
  return std::min(MinGrowthPadding + FileSize / 1000, MaxGrowthPadding);
}

std::uint64_t CopyGrowthPadding(std::uint64_t FileSize)
{
  return std::min(MinCopyGrowthPadding + FileSize / 100, MaxGrowthPadding);
}

} // namespace Quillmark::Asf
