// One save of a video on whatever file system holds it, timed from opening
// the file to the save's end, for compare_filesystems.sh. Prints the way the
// save's milliseconds and the way it went.
//   FsSave make PATH MIB   a video as Windows writes it: 3.5 KB of padding
//                          in its Header Extension, random media after it
//   FsSave stereo PATH     the stereo attributes: they fit that padding
//   FsSave grow PATH       a 10 KB preview: more than the padding holds
//   FsSave edit PATH       a new title of the same length: a small edit
// "grow PATH no-insert" grows without inserting room, as on a file system
// that cannot insert (XFS can; so a save there shows the clone instead).
#include "asf/HeaderCommit.h"
#include "asf/MetadataEditorImpl.h"
#include "asf/Renderer.h"
#include "common/AsfBuilder.h"
#include "metadata/TextConversion.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

using namespace Quillmark;
using namespace Quillmark::Asf;
using namespace QuillmarkTest;

constexpr std::uint32_t PacketSize = 3200;

void WriteAll(int Fd, const std::uint8_t* Data, std::size_t Size)
{
  while (Size > 0) {
    ssize_t Done = ::write(Fd, Data, Size);
    if (Done <= 0) {
      throw std::runtime_error("write failed");
    }
    Data += Done;
    Size -= static_cast<std::size_t>(Done);
  }
}

void MakeVideo(const std::string& Path, std::uint64_t Size)
{
  auto HeaderFor = [](std::uint64_t FileSize, std::uint64_t Packets) {
    return HeaderObject(
        {FilePropertiesObject(FileSize, 2, PacketSize, Packets), StreamPropertiesObject(1),
         HeaderExtensionObject({LanguageListObject({u"en-us"}), PaddingObject(3500)}),
         ContentDescriptionObject({u"Clip", u"Someone", std::nullopt, std::nullopt, std::nullopt})});
  };
  std::uint64_t HeaderSize = HeaderFor(0, 0).size();
  std::uint64_t Packets = (Size - HeaderSize - 50) / PacketSize;
  TBytes Head = HeaderFor(HeaderSize + 50 + Packets * PacketSize, Packets);
  TBytes DataHead = Concat({TBytes(Guids::Data.Bytes.begin(), Guids::Data.Bytes.end()),
                            Le64(50 + Packets * PacketSize), TBytes(16, 0x5A), Le64(Packets), Le16(0x0101)});
  int Fd = ::open(Path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (Fd < 0) {
    throw std::runtime_error("cannot create " + Path);
  }
  WriteAll(Fd, Head.data(), Head.size());
  WriteAll(Fd, DataHead.data(), DataHead.size());
  std::vector<std::uint64_t> Chunk(512 * 1024);
  std::uint64_t State = 0x9E3779B97F4A7C15ULL;
  for (std::uint64_t Left = Packets * PacketSize; Left > 0;) {
    for (std::uint64_t& Word : Chunk) {
      State ^= State << 13;
      State ^= State >> 7;
      State ^= State << 17;
      Word = State;
    }
    std::size_t Step = static_cast<std::size_t>(std::min<std::uint64_t>(Left, Chunk.size() * 8));
    WriteAll(Fd, reinterpret_cast<const std::uint8_t*>(Chunk.data()), Step);
    Left -= Step;
  }
  ::fsync(Fd);
  ::close(Fd);
}

void Set(TMetadataEditor& Editor, const char16_t* Name, WMT_ATTR_DATATYPE Type, const TBytes& Value)
{
  if (Editor.SetAttribute(0, Name, Type, Value.data(), static_cast<WORD>(Value.size())) != S_OK) {
    throw std::runtime_error("cannot set an attribute");
  }
}

// The edited header as the editor renders it, and the old header's size.
enum class TEdit { Stereo, Grow, Title };

THeaderImage EditedHeader(const std::string& Path, TEdit Edit, std::uint64_t& OldSize)
{
  TMetadataEditor Editor;
  std::u16string Name = Utf8ToUtf16(Path);
  if (Editor.Open(Name.c_str()) != S_OK) {
    throw std::runtime_error("cannot open " + Path);
  }
  if (Edit == TEdit::Stereo) {
    Set(Editor, u"Stereoscopic", WMT_TYPE_BOOL, Le32(0xFFFFFFFF));
    Set(Editor, u"StereoscopicLayout", WMT_TYPE_STRING, Utf16z(u"SideBySideLF"));
    Set(Editor, u"StereoscopicSkip", WMT_TYPE_QWORD, Le64(25000000));
    Set(Editor, u"StereoscopicHalfWidth", WMT_TYPE_BOOL, Le32(0xFFFFFFFF));
    Set(Editor, u"Source", WMT_TYPE_STRING, Utf16z(u"Camera rig B"));
  } else if (Edit == TEdit::Grow) {
    Set(Editor, u"StereoscopicPreview", WMT_TYPE_BINARY, TBytes(10240, 0xD8));
  } else {
    Set(Editor, u"Title", WMT_TYPE_STRING, Utf16z(u"Edit"));
  }
  OldSize = Editor.Header()->Size;
  THeaderImage Image = RenderHeader(*Editor.Header());
  Editor.Close();
  return Image;
}

int Save(const std::string& Path, TEdit Edit, bool AllowInsert)
{
  auto Start = std::chrono::steady_clock::now();
  TCommitRequest Request;
  Request.NewHeader = EditedHeader(Path, Edit, Request.OldHeaderSize);
  Request.Path = Path;
  Request.Fd = ::open(Path.c_str(), O_RDWR | O_CLOEXEC);
  struct flock Lock {};
  Lock.l_type = F_WRLCK;
  if (Request.Fd < 0 || ::fcntl(Request.Fd, F_OFD_SETLK, &Lock) != 0 ||
      StampOf(Request.Fd, Request.StampAtOpen) != S_OK) {
    throw std::runtime_error("cannot lock " + Path);
  }
  TSaveWay Way = TSaveWay::InPlace;
  Request.Way = &Way;
  Request.AllowInsertRange = AllowInsert;
  HRESULT Result = CommitHeader(Request);
  ::close(Request.Fd);
  double Ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - Start).count();
  if (Result != S_OK) {
    std::fprintf(stderr, "save failed: %s\n", ResultName(Result).c_str());
    return 1;
  }
  std::printf("%.1f %s\n", Ms, SaveWayName(Way));
  return 0;
}

} // namespace

int main(int Argc, char** Argv)
{
  try {
    std::string Command = Argc > 2 ? Argv[1] : "";
    if (Command == "make" && Argc == 4) {
      MakeVideo(Argv[2], std::strtoull(Argv[3], nullptr, 10) << 20);
      return 0;
    }
    bool NoInsert = Argc == 4 && std::string(Argv[3]) == "no-insert";
    TEdit Edit = Command == "stereo" ? TEdit::Stereo : Command == "grow" ? TEdit::Grow : TEdit::Title;
    if ((Command == "stereo" || Command == "grow" || Command == "edit") && (Argc == 3 || NoInsert)) {
      return Save(Argv[2], Edit, !NoInsert);
    }
    std::fprintf(stderr, "usage: FsSave make PATH MIB | stereo PATH | grow PATH [no-insert] | edit PATH\n");
  } catch (const std::exception& Error) {
    std::fprintf(stderr, "%s\n", Error.what());
  }
  return 2;
}
