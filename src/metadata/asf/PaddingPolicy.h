#pragma once
// How much padding a save leaves when the header has to grow.
//
// Growing costs a rewrite of the file (or at least an insert in front of the
// Data Object), so a growing save leaves room for the next ones: 16 KiB,
// enough for new texts and a 10 KB preview picture, plus 0.1 % of the file,
// since bigger files tend to get bigger attributes and each rewrite of them
// costs more; never more than 1 MiB, so a 4 GiB video does not carry 4 MiB of
// zeros. Shrinking saves keep whatever room the old header leaves, as
// padding, so the file never has to move.
#include <cstdint>

namespace Quillmark::Asf {

constexpr std::uint64_t PaddingObjectHeaderSize = 24;
constexpr std::uint64_t MinGrowthPadding = 16 * 1024;
constexpr std::uint64_t MaxGrowthPadding = 1024 * 1024;

std::uint64_t GrowthPadding(std::uint64_t FileSize);

} // namespace Quillmark::Asf
