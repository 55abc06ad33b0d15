#include "asf/CommitTestFiles.h"

#include "asf/AsfGuids.h"
#include "fs/CommitFaultFileSystem.h"

#include <fcntl.h>
#include <random>
#include <stdexcept>
#include <unistd.h>

namespace QuillmarkTest {

namespace {

using Quillmark::Asf::THeaderImage;
namespace Guids = Quillmark::Asf::Guids;

const TBytes HeaderGuid(Guids::Header.Bytes.begin(), Guids::Header.Bytes.end());
const TBytes FilePropertiesGuid(Guids::FileProperties.Bytes.begin(), Guids::FileProperties.Bytes.end());
const TBytes DataGuid(Guids::Data.Bytes.begin(), Guids::Data.Bytes.end());
const TBytes SimpleIndexGuid(Guids::SimpleIndex.Bytes.begin(), Guids::SimpleIndex.Bytes.end());
const TBytes PaddingGuid(Guids::Padding.Bytes.begin(), Guids::Padding.Bytes.end());
const TBytes UnknownGuid = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                            0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE};
constexpr std::size_t FileSizeOffset = 30 + 40;

void Put(TBytes& Out, std::uint64_t Value, int Bytes)
{
  for (int Index = 0; Index < Bytes; ++Index) {
    Out.push_back(static_cast<std::uint8_t>(Value >> (8 * Index)));
  }
}

void Patch(TBytes& Out, std::size_t At, std::uint64_t Value, int Bytes)
{
  for (int Index = 0; Index < Bytes; ++Index) {
    Out[At + static_cast<std::size_t>(Index)] = static_cast<std::uint8_t>(Value >> (8 * Index));
  }
}

TBytes Object(const TBytes& Guid, const TBytes& Payload)
{
  TBytes Out = Guid;
  Put(Out, 24 + Payload.size(), 8);
  Out.insert(Out.end(), Payload.begin(), Payload.end());
  return Out;
}

TBytes FileProperties()
{
  TBytes Payload = RandomBytes(16, 99); // File ID
  Put(Payload, 0, 8);                   // File Size, set later
  Put(Payload, 132000000000000000ULL, 8);
  Put(Payload, 60, 8);
  Put(Payload, 20000000, 8);
  Put(Payload, 20000000, 8);
  Put(Payload, 3000, 8);
  Put(Payload, 2, 4); // seekable
  Put(Payload, 3200, 4);
  Put(Payload, 3200, 4);
  Put(Payload, 128000, 4);
  return Object(FilePropertiesGuid, Payload);
}

TBytes HeaderObject(const std::vector<TBytes>& Children)
{
  TBytes Out = HeaderGuid;
  std::size_t Size = 30;
  for (const TBytes& Child : Children) {
    Size += Child.size();
  }
  Put(Out, Size, 8);
  Put(Out, Children.size(), 4);
  Out.push_back(0x01);
  Out.push_back(0x02);
  for (const TBytes& Child : Children) {
    Out.insert(Out.end(), Child.begin(), Child.end());
  }
  return Out;
}

TBytes DataAndIndex(std::size_t DataBytes)
{
  TBytes Payload = RandomBytes(16, 99);
  Put(Payload, 60, 8);
  Put(Payload, 0x0101, 2);
  TBytes Packets = RandomBytes(DataBytes, 1234);
  Payload.insert(Payload.end(), Packets.begin(), Packets.end());
  TBytes Out = Object(DataGuid, Payload);
  TBytes Index = Object(SimpleIndexGuid, RandomBytes(300, 4321));
  Out.insert(Out.end(), Index.begin(), Index.end());
  return Out;
}

// File Properties, then a Header Extension holding only padding, if asked.
std::vector<TBytes> LeadingChildren(std::size_t ExtensionPadding)
{
  std::vector<TBytes> Children = {FileProperties()};
  if (ExtensionPadding > 0) {
    TBytes Payload(Guids::Reserved1.Bytes.begin(), Guids::Reserved1.Bytes.end());
    Put(Payload, 6, 2);
    Put(Payload, ExtensionPadding, 4);
    TBytes Padding = Object(PaddingGuid, TBytes(ExtensionPadding - 24, 0));
    Payload.insert(Payload.end(), Padding.begin(), Padding.end());
    Children.push_back(
        Object(TBytes(Guids::HeaderExtension.Bytes.begin(), Guids::HeaderExtension.Bytes.end()), Payload));
  }
  return Children;
}

} // namespace

TBytes RandomBytes(std::size_t Count, std::uint32_t Seed)
{
  std::mt19937 Engine(Seed);
  TBytes Out(Count);
  for (std::uint8_t& Byte : Out) {
    Byte = static_cast<std::uint8_t>(Engine());
  }
  return Out;
}

TSampleFile MakeSample(std::size_t UnknownPayload, std::size_t PaddingSize, std::size_t DataBytes,
                       std::size_t ExtensionPadding)
{
  std::vector<TBytes> Children = LeadingChildren(ExtensionPadding);
  Children.push_back(Object(UnknownGuid, RandomBytes(UnknownPayload, 5)));
  if (PaddingSize > 0) {
    Children.push_back(Object(PaddingGuid, TBytes(PaddingSize - 24, 0)));
  }
  TSampleFile Sample;
  Sample.Bytes = HeaderObject(Children);
  Sample.HeaderSize = Sample.Bytes.size();
  TBytes Rest = DataAndIndex(DataBytes);
  Sample.Bytes.insert(Sample.Bytes.end(), Rest.begin(), Rest.end());
  Patch(Sample.Bytes, FileSizeOffset, Sample.Bytes.size(), 8);
  return Sample;
}

THeaderImage MakeImage(std::size_t UnknownPayload, std::uint32_t Seed, std::size_t ExtensionPadding)
{
  THeaderImage Image;
  std::vector<TBytes> Children = LeadingChildren(ExtensionPadding);
  Children.push_back(Object(UnknownGuid, RandomBytes(UnknownPayload, Seed)));
  Image.Bytes = HeaderObject(Children);
  Image.FileSizeOffset = FileSizeOffset;
  return Image;
}

TBytes ExpectedFile(const THeaderImage& Image, std::uint64_t PaddingSize, const TBytes& Rest)
{
  TBytes Out = Image.Bytes;
  if (PaddingSize > 0) {
    TBytes Padding = Object(PaddingGuid, TBytes(PaddingSize - 24, 0));
    Out.insert(Out.end(), Padding.begin(), Padding.end());
    Patch(Out, 24, Out[24] + 1U, 1);
  }
  Patch(Out, 16, Out.size(), 8);
  Out.insert(Out.end(), Rest.begin(), Rest.end());
  if (Image.FileSizeOffset) {
    Patch(Out, *Image.FileSizeOffset, Out.size(), 8);
  }
  return Out;
}

TOneSectorEdit MakeOneSectorEdit()
{
  TOneSectorEdit Edit;
  Edit.Sample = MakeSample(2000, 4096);
  Edit.Image = MakeImage(2000, 5); // the sample's own objects
  Edit.Image.Bytes[700] ^= 0xFF;
  Edit.New = ExpectedFile(Edit.Image, Edit.Sample.HeaderSize - Edit.Image.Bytes.size(), Edit.Sample.Rest());
  return Edit;
}

std::uint64_t HeaderSizeOf(const TBytes& File)
{
  std::uint64_t Value = 0;
  for (int Index = 23; Index >= 16; --Index) {
    Value = (Value << 8) | File.at(static_cast<std::size_t>(Index));
  }
  return Value;
}

TOpenVideo::TOpenVideo(const std::filesystem::path& Path) : FPath(Path)
{
  FFd = ::open(Path.c_str(), O_RDWR | O_CLOEXEC);
  struct flock Lock {};
  Lock.l_type = F_WRLCK;
  Lock.l_whence = SEEK_SET;
  if (FFd < 0 || ::fcntl(FFd, F_OFD_SETLK, &Lock) != 0 ||
      Quillmark::Asf::StampOf(FFd, FStamp) != Quillmark::S_OK) {
    throw std::runtime_error("cannot open " + Path.string());
  }
}

Quillmark::Asf::TCommitRequest TOpenVideo::Request(const THeaderImage& Image,
                                                   std::uint64_t OldHeaderSize) const
{
  Quillmark::Asf::TCommitRequest Request;
  Request.Path = FPath.string();
  Request.Fd = FFd;
  Request.StampAtOpen = FStamp;
  Request.OldHeaderSize = OldHeaderSize;
  Request.NewHeader = Image;
  Request.Names = FNames;
  return Request;
}

void TOpenVideo::HoldNames()
{
  struct stat Info {};
  if (::fstat(FFd, &Info) != 0 || Quillmark::Fs::ResolveOpenSaveNames(Quillmark::Fs::PosixFileSystem(), FFd,
                                                                      Info, FPath.string(), FNames) != 0) {
    throw std::runtime_error("cannot find the folder of " + FPath.string());
  }
}

void TOpenVideo::Close()
{
  FNames = {};
  if (FFd >= 0) {
    ::close(FFd);
    FFd = -1;
  }
}

Quillmark::HRESULT CommitThrough(TFaultFileSystem& Fs, Quillmark::Asf::TCommitRequest Request, bool& Crashed)
{
  Request.Fs = &Fs;
  Crashed = false;
  Quillmark::HRESULT Result = Quillmark::E_IO_FAILURE;
  try {
    Result = Quillmark::Asf::CommitHeader(Request);
  } catch (const ESimulatedCrash&) {
    Crashed = true;
  }
  Crashed = Crashed || Fs.Crashed();
  Fs.CloseLeftovers();
  return Result;
}

Quillmark::HRESULT Recover(const std::filesystem::path& Path, Quillmark::TSideFileReport* Report,
                           Quillmark::Fs::IFileSystem* Fs, bool MayWrite)
{
  int Fd = ::open(Path.c_str(), (MayWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC);
  if (Fd < 0) {
    return Quillmark::E_IO_FAILURE;
  }
  Quillmark::TSideFileReport Found;
  Quillmark::HRESULT Result = Quillmark::Asf::RecoverJournal({Path.string(), Fd, MayWrite, Fs}, Found);
  ::close(Fd);
  if (Report != nullptr) {
    *Report = Found;
  }
  return Result;
}

std::vector<std::filesystem::path> SideFiles(const std::filesystem::path& Folder)
{
  std::vector<std::filesystem::path> Found;
  for (const auto& Entry : std::filesystem::directory_iterator(Folder)) {
    if (Entry.path().filename().string().find(".quillmark-") != std::string::npos) {
      Found.push_back(Entry.path());
    }
  }
  return Found;
}

ino_t InodeOf(const std::filesystem::path& Path)
{
  struct stat Info {};
  if (::stat(Path.c_str(), &Info) != 0) {
    throw std::runtime_error("cannot stat " + Path.string());
  }
  return Info.st_ino;
}

} // namespace QuillmarkTest
