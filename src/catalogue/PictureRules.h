#pragma once
// The rules a preview image or a title poster must meet, for pictures loaded
// from a file and for pictures read from a header alike.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/JpegImage.h"

namespace Quillmark {

enum class TPictureKind { Preview, Poster };

inline constexpr std::int64_t MaxPreviewBytes = 10240;
inline constexpr int PreviewWidth = 160;
inline constexpr int PreviewHeight = 120;
inline constexpr int MinPosterSide = 480;
// A poster has no size rule of its own; a file larger than this cannot be a
// poster a header could sensibly carry, and is never read whole.
inline constexpr std::int64_t MaxPosterBytes = 64LL * 1024 * 1024;

// ".jpg" or ".jpeg", in any case: the extension runs from the last dot of
// the path's final element.
bool HasJpegExtension(std::string_view Path);

// At most 10,240 bytes. A size of -1 (no such file) passes, so that opening
// the file reports it.
bool PreviewByteSizeFits(std::int64_t Size);

// Preview exactly 160 x 120; poster at least 480 x 480.
bool PixelSizeFits(TPictureKind Kind, int Width, int Height);

// A picture from an attribute's bytes when it meets every rule of its kind;
// none otherwise.
std::shared_ptr<const TJpegImage> AcceptStoredPicture(TPictureKind Kind, std::vector<std::uint8_t> Bytes);

enum class TPictureLoad { Accepted, Rejected, CannotOpen };

struct TPictureLoadResult {
  TPictureLoad Status = TPictureLoad::CannotOpen;
  std::shared_ptr<const TJpegImage> Image; // only when accepted
  std::u16string Message;                  // the user's message otherwise
};

// Loading a picture chosen by the user. A preview's file size is tested
// before the file is read, so a large file is never read. Only a regular
// file is read, and never more than its kind's byte limit plus one byte; a
// FIFO or device, or a larger file, is rejected; a folder cannot be opened.
TPictureLoadResult LoadPictureFile(TPictureKind Kind, const std::string& Path);
TPictureLoadResult LoadPreviewFile(const std::string& Path);
TPictureLoadResult LoadPosterFile(const std::string& Path);

// "This image cannot be used as preview! ..." or "... as title poster! ...".
std::u16string PictureRejectedMessage(TPictureKind Kind);

// "Could not open file '%1'!" with the file's name without its folder.
std::u16string CouldNotOpenMessage(std::string_view Path);

// The part of a path after its last '/'.
std::string_view FileNameWithoutFolder(std::string_view Path);

} // namespace Quillmark
