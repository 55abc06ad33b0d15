#include "asf/PaddingPolicy.h"

#include <algorithm>

namespace Quillmark::Asf {

namespace {

// A small file is not made several times its size by room it may never use.
std::uint64_t Proportionate(std::uint64_t Padding, std::uint64_t FileSize)
{
  return std::min(Padding, std::max(MinSmallFilePadding, FileSize));
}

} // namespace

std::uint64_t GrowthPadding(std::uint64_t FileSize)
{
  return Proportionate(std::min(MinGrowthPadding + FileSize / 1000, MaxGrowthPadding), FileSize);
}

std::uint64_t CopyGrowthPadding(std::uint64_t FileSize)
{
  return Proportionate(std::min(MinCopyGrowthPadding + FileSize / 100, MaxGrowthPadding), FileSize);
}

} // namespace Quillmark::Asf
