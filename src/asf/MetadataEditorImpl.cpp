#include "asf/MetadataEditorImpl.h"

#include "asf/ByteSource.h"
#include "asf/Guarded.h"
#include "asf/HeaderCommit.h"
#include "asf/HeaderParser.h"
#include "asf/HeaderVerify.h"
#include "asf/Renderer.h"
#include "metadata/TextConversion.h"

#include <cerrno>
#include <fcntl.h>
#include <utility>

namespace Quillmark {

HRESULT WMCreateEditor(TRef<IWMMetadataEditor>& Editor)
{
  return Asf::Guarded([&] {
    Editor = std::make_shared<Asf::TMetadataEditor>();
    return S_OK;
  });
}

} // namespace Quillmark

namespace Quillmark::Asf {

namespace {

constexpr DWORD ReadWrite = GENERIC_READ | GENERIC_WRITE;

// Read/write access allows no sharing; read-only access must share reading.
bool IsValidAccess(DWORD DesiredAccess, DWORD ShareMode)
{
  if (DesiredAccess == ReadWrite) {
    return ShareMode == 0;
  }
  constexpr DWORD ReaderShares = FILE_SHARE_READ | FILE_SHARE_DELETE;
  return DesiredAccess == GENERIC_READ && (ShareMode & ReaderShares) != 0 && (ShareMode & ~ReaderShares) == 0;
}

} // namespace

void TMetadataEditor::RequireOpen() const
{
  if (!FOpen) {
    throw EAsfError(E_INVALID_STATE, "no file is open");
  }
}

void TMetadataEditor::RequireWritable() const
{
  RequireOpen();
  if (!FWritable) {
    throw EAsfError(E_INVALID_REQUEST, "the file is open for reading only");
  }
}

namespace {

TFileStamp StampAtOpen(const TFileIdentity& Identity)
{
  TFileStamp Stamp;
  Stamp.Device = Identity.Device;
  Stamp.Inode = Identity.Inode;
  Stamp.Size = static_cast<off_t>(Identity.Size);
  Stamp.ModTime.tv_sec = static_cast<time_t>(Identity.ModifiedSeconds);
  Stamp.ModTime.tv_nsec = static_cast<long>(Identity.ModifiedNanoseconds);
  return Stamp;
}

} // namespace

void TMetadataEditor::Release()
{
  FFile.reset();
  FOpen = false;
  FWritable = false;
  FChanged = false;
  FHeader = TAsfHeader();
  FOriginalHeader.clear();
  FOriginalHeader.shrink_to_fit();
  FNames = {};
}

template <class TWork> HRESULT TMetadataEditor::Opening(TWork&& Work)
{
  try {
    Work();
  } catch (...) {
    Release();
    throw;
  }
  return S_OK;
}

void TMetadataEditor::TakeHeader(TBytes Bytes, bool Writable)
{
  FOriginalHeader = std::move(Bytes);
  FHeader = ParseHeaderBytes(FOriginalHeader);
  FWritable = Writable;
  FOpen = true;
}

int TMetadataEditor::DuplicateDescriptor() const
{
  if (!FFile) {
    errno = EBADF;
    return -1;
  }
  return fcntl(FFile->Descriptor(), F_DUPFD_CLOEXEC, 0);
}

HRESULT TMetadataEditor::Open(const char16_t* FileName)
{
  return OpenEx(FileName, ReadWrite, 0);
}

HRESULT TMetadataEditor::OpenEx(const char16_t* FileName, DWORD DesiredAccess, DWORD ShareMode)
{
  return GuardedRecording(FLastFailure, [&] {
    if (FileName == nullptr || *FileName == 0 || !IsValidAccess(DesiredAccess, ShareMode)) {
      return E_INVALID_ARGUMENT;
    }
    if (FOpen) {
      return E_INVALID_STATE;
    }
    FSideFile = {};
    FLastSaveWay.reset();
    return Opening([&] {
      bool Writable = DesiredAccess == ReadWrite;
      FFile = std::make_unique<TLockedFile>(Utf16ToPath(FileName), Writable, FFollowLinks);
      // A save interrupted by a crash left its journal: put the old header
      // back before anything is read. The lock proves no save is under way.
      // An open for reading only never writes; it is told what is there.
      HRESULT Recovered = RecoverJournal(
          {FFile->Path(), FFile->Descriptor(), Writable, nullptr, &FNames, &FFile->StatusAtOpen()},
          FSideFile);
      if (Recovered != S_OK) {
        throw EAsfError(Recovered, "an interrupted save could not be rolled back");
      }
      // A rollback changed the file: the save compares with what it is now.
      if (FSideFile.State != TSideFileState::None) {
        FFile->RefreshIdentity();
      }
      TFileSource Source(FFile->Descriptor(), FFile->Identity().Size);
      TakeHeader(ReadHeaderBytes(Source, TParseOptions{}), Writable);
    });
  });
}

HRESULT TMetadataEditor::OpenMemory(std::span<const std::uint8_t> Bytes)
{
  return Guarded([&] {
    if (FOpen) {
      return E_INVALID_STATE;
    }
    return Opening([&] {
      TMemorySource Source(Bytes);
      TakeHeader(ReadHeaderBytes(Source, TParseOptions{.RequireDataObject = false}), true);
    });
  });
}

HRESULT TMetadataEditor::OpenCopyOf(const TMetadataEditor& Other)
{
  return Guarded([&] {
    if (FOpen || &Other == this) {
      return E_INVALID_STATE;
    }
    Other.RequireOpen();
    return Opening([&] {
      FOriginalHeader = Other.FOriginalHeader;
      FHeader = Other.FHeader;
      FWritable = true;
      FOpen = true;
    });
  });
}

HRESULT TMetadataEditor::Close()
{
  Release();
  return S_OK;
}

HRESULT TMetadataEditor::Flush()
{
  return GuardedRecording(FLastFailure, [&] {
    RequireOpen();
    if (FChanged) {
      CommitChanges();
    }
    Release();
    return S_OK;
  });
}

// Puts the edited header into the file. A failure leaves the file open with
// the edits still in the editor, so the caller may try again or close.
void TMetadataEditor::CommitChanges()
{
  TCommitRequest Request = CommitRequest();
  TSaveWay Way = TSaveWay::InPlace;
  Request.Way = &Way;
  HRESULT Result = CommitHeader(Request);
  if (Result == S_OK) {
    FLastSaveWay = Way;
  }
  if (Result != S_OK) {
    throw EAsfError(Result, "the header could not be saved", SaveFailureReason(Result));
  }
}

// A save only says that something is at a journal's name; the user is told
// which file to look at, found again the way the open looks for it, without
// acting on it.
TFailureReason TMetadataEditor::SaveFailureReason(HRESULT Result) const
{
  TFailureReason Reason = FailureReasonOfResult(Result, {});
  if (Reason.Cause == TFailureCause::Other) {
    Reason.Detail = ResultName(Result);
  }
  if (Result == E_SIDE_FILE_FOUND && FFile) {
    TSideFileReport Found;
    if (RecoverJournal({FFile->Path(), FFile->Descriptor(), false, nullptr, nullptr}, Found) == S_OK) {
      Reason.Detail = Found.Path;
    }
  }
  return Reason;
}

void TMetadataEditor::NoteSaveFailure(HRESULT Result)
{
  try {
    FLastFailure = SaveFailureReason(Result);
  } catch (...) {
    FLastFailure = {};
  }
}

TCommitRequest TMetadataEditor::CommitRequest() const
{
  RequireOpen();
  if (!FFile) {
    throw EAsfError(E_INVALID_REQUEST, "a header opened from memory has no file to write");
  }
  TCommitRequest Request;
  Request.Path = FFile->Path();
  Request.Names = FNames;
  Request.Fd = FFile->Descriptor();
  Request.StampAtOpen = StampAtOpen(FFile->Identity());
  Request.OldHeaderSize = FHeader.Size;
  Request.OldHeaderRead = FOriginalHeader.size();
  Request.NewHeader = RenderHeader(FHeader);
  Request.Progress = FProgress;
  Request.Verify = [this](const std::vector<std::uint8_t>& Written) {
    return VerifyWrittenHeader(Written, FHeader);
  };
  return Request;
}

void TMetadataEditor::SetProgressCallback(TProgressCallback Callback)
{
  FProgress = std::move(Callback);
}

} // namespace Quillmark::Asf
