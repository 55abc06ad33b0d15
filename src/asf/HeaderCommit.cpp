#include "asf/HeaderCommit.h"

#include "asf/ByteReader.h"
#include "asf/CommitImage.h"
#include "asf/CommitPaths.h"
#include "fs/Journal.h"
#include "fs/JournalPlace.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace Quillmark::Asf {

namespace {

bool SameStamp(const struct stat& Info, const TFileStamp& Stamp)
{
  return Info.st_dev == Stamp.Device && Info.st_ino == Stamp.Inode && Info.st_size == Stamp.Size &&
         Info.st_mtim.tv_sec == Stamp.ModTime.tv_sec && Info.st_mtim.tv_nsec == Stamp.ModTime.tv_nsec;
}

// The old header's bytes must end where the editor stopped reading: at the
// payload of a Padding Object that runs to the end of the header.
bool EndsInUnreadPadding(const std::vector<std::uint8_t>& Known, std::uint64_t Old)
{
  if (Known.size() < HeaderObjectFixedSize + ObjectHeaderSize) {
    return false;
  }
  std::size_t Head = Known.size() - ObjectHeaderSize;
  return std::memcmp(Known.data() + Head, Guids::Padding.Bytes.data(), 16) == 0 &&
         LoadQword(Known, Head + 16) == Old - Head;
}

HRESULT ReadOldRegion(TCommitContext& Context)
{
  std::uint64_t Old = Context.Request.OldHeaderSize;
  if (Old < HeaderObjectFixedSize || Old > Context.FileSize() || Context.FileSize() - Old < 24) {
    return E_INVALID_ARGUMENT;
  }
  std::uint64_t Read = Context.Request.OldHeaderRead;
  std::uint64_t Known = Read == 0 || Read > Old ? Old : Read;
  std::vector<std::uint8_t> Region(Known == Old ? Old + 24 : Known);
  std::vector<std::uint8_t> DataHead(24);
  int Error = ReadExact(Context.Fs, Context.Request.Fd, Region.data(), Region.size(), 0);
  if (Error == 0 && Known < Old) {
    Error = ReadExact(Context.Fs, Context.Request.Fd, DataHead.data(), DataHead.size(), Old);
  }
  if (Error != 0) {
    return Error == ENODATA ? E_FILE_CHANGED : ErrnoResult(Error);
  }
  if (Known == Old) {
    DataHead.assign(Region.begin() + static_cast<long>(Old), Region.end());
    Region.resize(Old);
  }
  if (std::memcmp(Region.data(), Guids::Header.Bytes.data(), 16) != 0 ||
      std::memcmp(DataHead.data(), Guids::Data.Bytes.data(), 16) != 0 ||
      (Known < Old && !EndsInUnreadPadding(Region, Old))) {
    return E_CORRUPT_HEADER;
  }
  Context.DataHead = std::move(DataHead);
  Context.OldHeader = std::move(Region);
  return S_OK;
}

// A journal at either of its names is this save's business only once it is
// proved to be ours, which is the open's work; until then the save waits.
HRESULT RefuseOverSideFiles(TCommitContext& Context)
{
  TSaveNames& Names = Context.Names;
  // Names found at the open carry the name already; the stamp check proves the video the same.
  if (Names.PrivateJournal.Name.empty()) {
    AddPrivateJournal(Context.Fs, Context.Request.Fd, Context.Info, Names);
  }
  if (SideFileExists(Context.Fs, Names.Journal)) {
    return E_SIDE_FILE_FOUND;
  }
  // No private folder, or one that is not the saver's alone, holds no journal to trust.
  TSideFile& Private = Names.PrivateJournal;
  if (Private.Name.empty() || OpenPrivateJournalFolder(Context.Fs, false, Private.Folder) != 0) {
    return S_OK;
  }
  return SideFileExists(Context.Fs, Private) ? E_SIDE_FILE_FOUND : S_OK;
}

} // namespace

HRESULT PrepareCommit(TCommitContext& Context)
{
  if (!ValidHeaderImage(Context.Request.NewHeader) || Context.Request.Fd < 0) {
    return E_INVALID_ARGUMENT;
  }
  if (int Error = Context.Fs.FStat(Context.Request.Fd, Context.Info); Error != 0) {
    return ErrnoResult(Error);
  }
  // Names found at the open are used as they are; the stamp check below
  // sees whether the folder still holds the video under its name.
  if (Context.Request.Names.Folder) {
    Context.Names = Context.Request.Names;
  } else if (int Error = ResolveSaveNames(Context.Fs, Context.Request.Path, Context.Info, Context.Names);
             Error != 0) {
    return Error == ENOENT || Error == ENOTDIR ? E_FILE_CHANGED : ErrnoResult(Error);
  }
  if (HRESULT Result = CheckStampOf(Context, Context.Info); Result != S_OK) {
    return Result;
  }
  if (HRESULT Result = ReadOldRegion(Context); Result != S_OK) {
    return Result;
  }
  return RefuseOverSideFiles(Context);
}

bool FitsInPlace(const TCommitContext& Context)
{
  std::uint64_t Old = Context.Request.OldHeaderSize;
  return Context.NewSize() == Old || Context.NewSize() + 24 <= Old;
}

namespace {

// Settled is false when the way was not open and the next may be tried.
HRESULT Grow(TCommitContext& Context, bool& Settled)
{
  Settled = false;
  HRESULT Result = S_OK;
  if (Context.Request.AllowInsertRange) {
    Result = CommitByInsert(Context, Settled);
  }
  if (!Settled && Context.Request.AllowClone) {
    Result = CommitByClone(Context, Settled);
  }
  return Result;
}

HRESULT Commit(TCommitContext& Context)
{
  if (HRESULT Result = PrepareCommit(Context); Result != S_OK) {
    return Result;
  }
  if (Context.Request.CompactPadding) {
    Context.Compacted = WithoutExtensionPadding(Context.Request.NewHeader);
    bool Settled = false;
    HRESULT Result = Context.Request.AllowCollapseRange ? CommitByCollapse(Context, Settled) : S_OK;
    return Settled ? Result : CommitByCopy(Context);
  }
  // The padding inside the Header Extension is room too; a header that
  // must grow anyway grows by less without it.
  if (!FitsInPlace(Context)) {
    Context.Compacted = WithoutExtensionPadding(Context.Request.NewHeader);
  }
  if (FitsInPlace(Context)) {
    return CommitInPlace(Context);
  }
  bool Settled = false;
  HRESULT Result = Grow(Context, Settled);
  return Settled ? Result : CommitByCopy(Context);
}

} // namespace

HRESULT ReadMoreOldHeader(TCommitContext& Context, std::uint64_t Length)
{
  std::vector<std::uint8_t>& Known = Context.OldHeader;
  Length = std::min(Length, Context.Request.OldHeaderSize);
  if (Length <= Known.size()) {
    return S_OK;
  }
  std::size_t Have = Known.size();
  Known.resize(Length);
  int Error = ReadExact(Context.Fs, Context.Request.Fd, Known.data() + Have, Known.size() - Have, Have);
  if (Error != 0) {
    Known.resize(Have);
    return Error == ENODATA ? E_FILE_CHANGED : ErrnoResult(Error);
  }
  return S_OK;
}

HRESULT CheckStamp(const TCommitContext& Context)
{
  struct stat Now {};
  if (int Error = Context.Fs.FStat(Context.Request.Fd, Now); Error != 0) {
    return ErrnoResult(Error);
  }
  return CheckStampOf(Context, Now);
}

HRESULT CheckStampOf(const TCommitContext& Context, const struct stat& Now)
{
  struct stat AtName {};
  if (int Error = Context.Fs.StatAt(Context.Names.Folder->Fd(), Context.Names.Name, AtName); Error != 0) {
    return Error == ENOENT ? E_FILE_CHANGED : ErrnoResult(Error);
  }
  bool SameFile = TFileId::Of(Now).Is(AtName) && Context.Names.Folder->Check() == 0;
  return SameFile && S_ISREG(Now.st_mode) && SameStamp(Now, Context.Request.StampAtOpen) ? S_OK
                                                                                         : E_FILE_CHANGED;
}

HRESULT CommitHeader(const TCommitRequest& Request)
{
  TCommitContext Context{
      Request,          Request.Fs != nullptr ? *Request.Fs : PosixFileSystem(), {}, {}, {}, {}, {},
      TSaveWay::InPlace};
  try {
    HRESULT Result = Commit(Context);
    if (Result == S_OK && Request.Way != nullptr) {
      *Request.Way =
          Context.Way == TSaveWay::InPlace && Context.Compacted ? TSaveWay::ExtensionPadding : Context.Way;
    }
    return Result;
  } catch (const std::bad_alloc&) {
    return E_OUT_OF_MEMORY;
  }
}

const char* SaveWayName(TSaveWay Way)
{
  switch (Way) {
  case TSaveWay::InPlace:
    return "in place";
  case TSaveWay::ExtensionPadding:
    return "Header Extension padding";
  case TSaveWay::Insert:
    return "inserted room";
  case TSaveWay::Clone:
    return "clone";
  case TSaveWay::Copy:
    return "copy";
  case TSaveWay::Collapse:
    return "collapsed room";
  }
  return "?";
}

HRESULT StampOf(int Fd, TFileStamp& Stamp, IFileSystem* Fs)
{
  struct stat Info {};
  if (int Error = (Fs != nullptr ? *Fs : PosixFileSystem()).FStat(Fd, Info); Error != 0) {
    return ErrnoResult(Error);
  }
  Stamp = {Info.st_dev, Info.st_ino, Info.st_size, Info.st_mtim};
  return S_OK;
}

} // namespace Quillmark::Asf
