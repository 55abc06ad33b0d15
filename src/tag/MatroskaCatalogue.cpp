#include "tag/MatroskaCatalogue.h"

#include "catalogue/Catalogue.h"
#include "catalogue/Layouts.h"
#include "catalogue/SideFileMessage.h"
#include "fs/FileIo.h"
#include "matroska/MatroskaSave.h"
#include "metadata/TextConversion.h"
#include "tag/ShowCommand.h"

#include <algorithm>
#include <array>

namespace Quillmark {

namespace {

struct TModeLayout {
  TLayout Layout;
  std::uint64_t Mode; // the StereoMode that stores it
};

// The layouts a StereoMode holds; the others it does not.
constexpr std::array<TModeLayout, 5> ModeLayouts = {{
    {TLayout::SideBySideLF, 1},
    {TLayout::SideBySideRF, 11},
    {TLayout::OverUnderLT, 3},
    {TLayout::OverUnderRT, 2},
    {TLayout::Mono, 0},
}};

std::optional<std::uint64_t> ModeOfIndex(int LayoutIndex)
{
  const std::optional<TLayout> Layout = LayoutAt(LayoutIndex);
  for (const TModeLayout& Entry : ModeLayouts) {
    if (Layout == Entry.Layout) {
      return Entry.Mode;
    }
  }
  return std::nullopt;
}

int IndexOfMode(std::uint64_t Mode)
{
  for (const TModeLayout& Entry : ModeLayouts) {
    if (Entry.Mode == Mode) {
      return Quillmark::LayoutIndex(Entry.Layout);
    }
  }
  return -1;
}

// The keys of the layouts Matroska holds, for a message.
std::string HeldLayoutKeys()
{
  std::string Keys;
  for (std::size_t Index = 0; Index < ModeLayouts.size(); ++Index) {
    Keys += Index == 0 ? "" : Index + 1 == ModeLayouts.size() ? " and " : ", ";
    Keys += Utf16ToUtf8(LayoutEntry(ModeLayouts[Index].Layout).Key);
  }
  return Keys;
}

bool Held(const std::string& Label)
{
  return std::any_of(MatroskaAttributes.begin(), MatroskaAttributes.end(),
                     [&](TAttribute Attribute) { return Label == Entry(Attribute).Label; });
}

// How many planes a frame holds side by side and one over the other.
std::pair<std::uint64_t, std::uint64_t> Planes(std::uint64_t Mode)
{
  switch (Mode) {
  case 1:
  case 11:
  case 8: // column interleaved
  case 9:
    return {2, 1};
  case 2:
  case 3:
  case 6: // row interleaved
  case 7:
    return {1, 2};
  default:
    return {1, 1};
  }
}

// The display size is that of one plane; a plane shown twice as wide (or
// high) as its pixels, against the other way, was stored at half size.
void ReadHalves(const Matroska::TVideoTrack& Video, TCatalogueValues& Values)
{
  const auto [Across, Down] = Planes(Video.StereoMode.value_or(0));
  const long double PlaneWidth = static_cast<long double>(Video.PixelWidth) / Across;
  const long double PlaneHeight = static_cast<long double>(Video.PixelHeight) / Down;
  const auto Width = static_cast<long double>(Video.DisplayWidth.value_or(Video.PixelWidth));
  const auto Height = static_cast<long double>(Video.DisplayHeight.value_or(Video.PixelHeight));
  if ((Video.DisplayUnit != 0 && Video.DisplayUnit != 3) || PlaneWidth <= 0 || PlaneHeight <= 0 ||
      Width <= 0 || Height <= 0) {
    return;
  }
  const long double Stretch = (Width / PlaneWidth) / (Height / PlaneHeight);
  Values.HalfWidth = Stretch >= 1.5L;
  Values.HalfHeight = Stretch <= 1 / 1.5L;
}

TCatalogueValues ValuesOf(const Matroska::TMatroskaFile& File, std::optional<std::uint64_t>& OtherMode)
{
  TCatalogueValues Values;
  Values.Changed = {};
  if (File.Title) {
    Values.Title = Utf8ToUtf16(*File.Title);
  }
  if (File.Video) {
    const std::optional<std::uint64_t> Mode = File.Video->StereoMode;
    Values.Stereo = Mode.value_or(0) != 0;
    if (Mode) {
      Values.LayoutIndex = IndexOfMode(*Mode);
      OtherMode = Values.LayoutIndex < 0 ? Mode : std::nullopt;
    }
    ReadHalves(*File.Video, Values);
  }
  return Values;
}

std::string ReadOpened(const std::string& Path, bool Writable, TMatroskaOpened& Opened)
{
  Fs::IFileSystem& Fs = Fs::PosixFileSystem();
  const int Fd = Opened.File->Descriptor();
  Matroska::RecoverMatroska(Fs, Fd, Path, Writable, Opened.Names, Opened.SideFileReport);
  Opened.SideFile = Utf16ToUtf8(SideFileMessage(Opened.SideFileReport, Path));
  Opened.Parsed = Matroska::ReadMatroska(Fs, Fd);
  Opened.Values = ValuesOf(Opened.Parsed, Opened.OtherMode);
  return {};
}

} // namespace

std::unique_ptr<Fs::TLockedFile> OpenIfMatroska(const std::string& Path, bool Writable, bool FollowLinks)
{
  std::unique_ptr<Fs::TLockedFile> File;
  try {
    File = std::make_unique<Fs::TLockedFile>(Path, Writable, FollowLinks);
  } catch (const std::exception&) {
    return nullptr;
  }
  std::uint8_t Bytes[4] = {};
  if (Fs::ReadExact(Fs::PosixFileSystem(), File->Descriptor(), Bytes, sizeof Bytes, 0) != 0 ||
      !Matroska::HasEbmlMagic(Bytes, sizeof Bytes)) {
    return nullptr;
  }
  return File;
}

std::string OpenMatroska(const std::string& Path, bool Writable, bool FollowLinks, TMatroskaOpened& Opened)
{
  try {
    if (!Opened.File) {
      Opened.File = std::make_unique<Fs::TLockedFile>(Path, Writable, FollowLinks);
    }
    return ReadOpened(Path, Writable, Opened);
  } catch (const Matroska::EMatroskaError& Error) {
    return std::string("Matroska file ") + Error.what();
  } catch (const std::exception& Error) {
    return Error.what();
  }
}

std::vector<std::pair<std::string, std::string>> MatroskaLines(const TMatroskaOpened& Opened,
                                                               const TCatalogueValues& Values)
{
  std::vector<std::pair<std::string, std::string>> Lines;
  for (auto& Line : ValueLines(Values)) {
    if (Held(Line.first)) {
      if (Opened.OtherMode && Values.LayoutIndex < 0 &&
          Line.first == Entry(TAttribute::StereoscopicLayout).Label) {
        Line.second = std::to_string(*Opened.OtherMode);
      }
      Lines.push_back(std::move(Line));
    }
  }
  return Lines;
}

std::string MatroskaChange(const TMatroskaOpened& Opened, const TCatalogueValues& Values,
                           Matroska::TMatroskaChange& Change)
{
  const TCatalogueValues& Old = Opened.Values;
  if (Values.Title != Old.Title) {
    Change.Title = Utf16ToUtf8(Values.Title);
  }
  const bool StereoChanged = Values.Stereo != Old.Stereo || Values.LayoutIndex != Old.LayoutIndex;
  if (!StereoChanged && Values.HalfWidth == Old.HalfWidth && Values.HalfHeight == Old.HalfHeight) {
    return {};
  }
  if (!Opened.Parsed.Video) {
    return "holds no video track to take a stereo layout";
  }
  std::optional<std::uint64_t> Mode = Opened.Parsed.Video->StereoMode;
  if (StereoChanged) {
    Mode = ModeOfIndex(Values.LayoutIndex);
    if (Values.LayoutIndex >= 0 && !Mode) {
      return "cannot hold the layout " + Utf16ToUtf8(LayoutKeyAt(Values.LayoutIndex)) + " (Matroska holds " +
             HeldLayoutKeys() + ")";
    }
    if (Values.Stereo && Mode.value_or(0) == 0) {
      return "holds the stereo box as its layout: give --layout";
    }
    if (!Values.Stereo && Mode.value_or(0) != 0) {
      Mode.reset(); // the box unticked: no stereo mode at all
    }
    Change.StereoMode.emplace(Mode);
  }
  const Matroska::TVideoTrack& Video = *Opened.Parsed.Video;
  const auto [Across, Down] = Planes(Mode.value_or(0));
  Change.DisplaySize = std::make_pair(Video.PixelWidth / Across * (Values.HalfWidth ? 2 : 1),
                                      Video.PixelHeight / Down * (Values.HalfHeight ? 2 : 1));
  return {};
}

} // namespace Quillmark
