#include "catalogue/PictureRules.h"

#include <exception>

#include "catalogue/FileSize.h"
#include "metadata/TextConversion.h"

namespace Quillmark {

namespace {

std::string LowerCaseAscii(std::string_view Text)
{
  std::string Lower(Text);
  for (char& Char : Lower) {
    if (Char >= 'A' && Char <= 'Z') {
      Char = static_cast<char>(Char - 'A' + 'a');
    }
  }
  return Lower;
}

TPictureLoadResult Rejected(TPictureKind Kind)
{
  return {TPictureLoad::Rejected, nullptr, PictureRejectedMessage(Kind)};
}

// The stream library throws when a read fails midway (a directory opens as
// a file but cannot be read) and memory may run out on a huge poster: both
// are a file that cannot be read.
TJpegImage::TFileLoad LoadFile(TJpegImage& Image, const std::string& Path, TPictureKind Kind)
{
  const auto Limit =
      static_cast<std::uint64_t>(Kind == TPictureKind::Preview ? MaxPreviewBytes : MaxPosterBytes);
  try {
    return Image.LoadFromFile(Path, Limit);
  } catch (const std::exception&) {
    return TJpegImage::TFileLoad::CannotRead;
  }
}

} // namespace

bool HasJpegExtension(std::string_view Path)
{
  const std::string Name = LowerCaseAscii(FileNameWithoutFolder(Path));
  const std::size_t Dot = Name.rfind('.');
  if (Dot == std::string::npos) {
    return false;
  }
  const std::string_view Extension = std::string_view(Name).substr(Dot);
  return Extension == ".jpg" || Extension == ".jpeg";
}

bool PreviewByteSizeFits(std::int64_t Size)
{
  return Size <= MaxPreviewBytes;
}

bool PixelSizeFits(TPictureKind Kind, int Width, int Height)
{
  if (Kind == TPictureKind::Preview) {
    return Width == PreviewWidth && Height == PreviewHeight;
  }
  return Width >= MinPosterSide && Height >= MinPosterSide;
}

std::shared_ptr<const TJpegImage> AcceptStoredPicture(TPictureKind Kind, std::vector<std::uint8_t> Bytes)
{
  if (Kind == TPictureKind::Preview && !PreviewByteSizeFits(static_cast<std::int64_t>(Bytes.size()))) {
    return nullptr;
  }
  auto Image = std::make_shared<TJpegImage>();
  if (!Image->LoadFromBytes(std::move(Bytes)) || !PixelSizeFits(Kind, Image->Width(), Image->Height())) {
    return nullptr;
  }
  return Image;
}

TPictureLoadResult LoadPictureFile(TPictureKind Kind, const std::string& Path)
{
  if (!HasJpegExtension(Path)) {
    return Rejected(Kind);
  }
  if (Kind == TPictureKind::Preview && !PreviewByteSizeFits(FileSizeByName(Path))) {
    return Rejected(Kind);
  }
  auto Image = std::make_shared<TJpegImage>();
  const TJpegImage::TFileLoad Loaded = LoadFile(*Image, Path, Kind);
  if (Loaded == TJpegImage::TFileLoad::NotRegular || Loaded == TJpegImage::TFileLoad::TooLarge) {
    return Rejected(Kind);
  }
  if (Loaded != TJpegImage::TFileLoad::Ok) {
    return {TPictureLoad::CannotOpen, nullptr, CouldNotOpenMessage(Path)};
  }
  // The size is tested again on what was read: the file may have grown
  // since it was measured.
  const bool SizeFits =
      Kind != TPictureKind::Preview || PreviewByteSizeFits(static_cast<std::int64_t>(Image->Bytes().size()));
  if (!SizeFits || !PixelSizeFits(Kind, Image->Width(), Image->Height())) {
    return Rejected(Kind);
  }
  return {TPictureLoad::Accepted, std::move(Image), {}};
}

TPictureLoadResult LoadPreviewFile(const std::string& Path)
{
  return LoadPictureFile(TPictureKind::Preview, Path);
}

TPictureLoadResult LoadPosterFile(const std::string& Path)
{
  return LoadPictureFile(TPictureKind::Poster, Path);
}

std::u16string PictureRejectedMessage(TPictureKind Kind)
{
  if (Kind == TPictureKind::Preview) {
    return u"This image cannot be used as preview! Suitable images must be JPEG files smaller than 10 kB "
           u"with a resolution of 160 x 120 pixels.";
  }
  return u"This image cannot be used as title poster! Suitable images must be JPEG files with a minimum "
         u"resolution of 480 x 480 pixels.";
}

std::u16string CouldNotOpenMessage(std::string_view Path)
{
  return u"Could not open file '" + Utf8ToUtf16(FileNameWithoutFolder(Path)) + u"'!";
}

std::string_view FileNameWithoutFolder(std::string_view Path)
{
  const std::size_t Slash = Path.rfind('/');
  return Slash == std::string_view::npos ? Path : Path.substr(Slash + 1);
}

} // namespace Quillmark
