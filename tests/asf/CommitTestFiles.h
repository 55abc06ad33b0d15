#pragma once
// Synthetic ASF files for the save tests: a Header Object with a File
// Properties object and one unknown object (and, if asked, a Padding
// Object), a Data Object of random bytes and a Simple Index after it. Also
// the file a save is expected to produce, built here independently of the
// code under test, and an open, locked descriptor as the editor holds it.
#include "asf/HeaderCommit.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace QuillmarkTest {

using TBytes = std::vector<std::uint8_t>;

struct TSampleFile {
  TBytes Bytes;                 // the whole file
  std::uint64_t HeaderSize = 0; // offset of the Data Object
  TBytes Rest() const { return TBytes(Bytes.begin() + static_cast<long>(HeaderSize), Bytes.end()); }
};

// Header children: File Properties, then an unknown object of UnknownPayload
// bytes, then a Padding Object of PaddingSize bytes when that is not 0. With
// ExtensionPadding, a Header Extension holding a Padding Object of that size
// comes right after File Properties.
TSampleFile MakeSample(std::size_t UnknownPayload, std::size_t PaddingSize = 0, std::size_t DataBytes = 20000,
                       std::size_t ExtensionPadding = 0);

// A new header as the engine hands it over: the same File Properties object
// and an unknown object of UnknownPayload bytes, no top-level padding; the
// Header Extension as in MakeSample.
Quillmark::Asf::THeaderImage MakeImage(std::size_t UnknownPayload, std::uint32_t Seed = 7,
                                       std::size_t ExtensionPadding = 0);

// The image with a Padding Object of PaddingSize bytes (0: none), size,
// count and File Size set, followed by Rest.
TBytes ExpectedFile(const Quillmark::Asf::THeaderImage& Image, std::uint64_t PaddingSize, const TBytes& Rest);

// A sample with padding and a new header of its own objects with one byte
// changed: a save in place whose change lies in one sector. New is the file
// it leaves.
struct TOneSectorEdit {
  TSampleFile Sample;
  Quillmark::Asf::THeaderImage Image;
  TBytes New;
};
TOneSectorEdit MakeOneSectorEdit();

// The Header Object size stored in a file.
std::uint64_t HeaderSizeOf(const TBytes& File);

// Random bytes from a fixed seed.
TBytes RandomBytes(std::size_t Count, std::uint32_t Seed);

// The file opened read-write with an exclusive lock, as the editor holds it.
class TOpenVideo {
public:
  explicit TOpenVideo(const std::filesystem::path& Path);
  ~TOpenVideo() { Close(); }
  TOpenVideo(const TOpenVideo&) = delete;
  TOpenVideo& operator=(const TOpenVideo&) = delete;

  Quillmark::Asf::TCommitRequest Request(const Quillmark::Asf::THeaderImage& Image,
                                         std::uint64_t OldHeaderSize) const;
  void Close();
  int Fd() const { return FFd; }
  // Finds and holds the folder now, as the editor's open does: later
  // requests act through it rather than look the path up again.
  void HoldNames();

private:
  std::filesystem::path FPath;
  int FFd = -1;
  Quillmark::Asf::TFileStamp FStamp;
  Quillmark::Fs::TSaveNames FNames;
};

class TFaultFileSystem;

// Saves Request through Fs, which may fail or stop dead at a call; Crashed
// tells whether it stopped dead. What a crash left open is closed.
Quillmark::HRESULT CommitThrough(TFaultFileSystem& Fs, Quillmark::Asf::TCommitRequest Request, bool& Crashed);

// Deals with what an interrupted save left, as the editor's open does,
// through a descriptor of its own: read-write unless told otherwise.
Quillmark::HRESULT Recover(const std::filesystem::path& Path, Quillmark::TSideFileReport* Report = nullptr,
                           Quillmark::Fs::IFileSystem* Fs = nullptr, bool MayWrite = true);

// Our hidden files in a folder (journal or copy) still present.
std::vector<std::filesystem::path> SideFiles(const std::filesystem::path& Folder);

ino_t InodeOf(const std::filesystem::path& Path);

} // namespace QuillmarkTest
