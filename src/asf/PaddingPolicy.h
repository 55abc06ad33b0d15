#pragma once
// How much padding a save leaves when the header has to grow.
//
// Growing costs at least an insert or a clone in front of the Data Object,
// and where the file system offers neither, a copy of the whole file. So a
// growing save leaves room for the next ones:
// - where growing is cheap (inserting or sharing blocks): 16 KiB, enough
//   for new texts and a 10 KB preview picture, plus 0.1 % of the file, since
//   bigger files tend to get bigger attributes; rounded up so the header
//   grows by whole file-system blocks;
// - where only a copy can grow the header (NTFS through FUSE, exFAT, FAT,
//   tmpfs, network shares): 64 KiB plus 1 % of the file, since each later
//   growth costs another copy of it: room for every text, the preview, the
//   title index and, on a video of a few megabytes or more, a title poster;
// - never more than 1 MiB either way, so a 4 GiB video does not carry
//   megabytes of zeros;
// - never more than the file itself, but 4 KiB at least (a block, and
//   room for a longer title and a few texts), so that a clip of a few
//   kilobytes at most doubles rather than end up several times its size.
// Shrinking saves keep whatever room the old header leaves, as padding, so
// the file never has to move.
#include <cstdint>

namespace Quillmark::Asf {

constexpr std::uint64_t PaddingObjectHeaderSize = 24;
constexpr std::uint64_t MinGrowthPadding = 16 * 1024;
constexpr std::uint64_t MinCopyGrowthPadding = 64 * 1024;
constexpr std::uint64_t MaxGrowthPadding = 1024 * 1024;
constexpr std::uint64_t MinSmallFilePadding = 4 * 1024;

// Where growing is cheap.
std::uint64_t GrowthPadding(std::uint64_t FileSize);
// Where only a copy of the file can grow the header.
std::uint64_t CopyGrowthPadding(std::uint64_t FileSize);

} // namespace Quillmark::Asf
