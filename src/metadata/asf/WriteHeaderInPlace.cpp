#include "metadata/asf/WriteHeaderInPlace.h"

#include "metadata/asf/ByteReader.h"
#include "metadata/asf/ByteWriter.h"
#include "metadata/asf/CheckedMath.h"
#include "metadata/asf/HeaderVerify.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace Quillmark::Asf {

namespace {

void WriteAll(int Descriptor, const TBytes& Bytes)
{
  std::size_t Done = 0;
  while (Done < Bytes.size()) {
    ssize_t Count = pwrite(Descriptor, Bytes.data() + Done, Bytes.size() - Done, static_cast<off_t>(Done));
    if (Count < 0 && errno == EINTR) {
      continue;
    }
    if (Count <= 0) {
      throw EAsfError(E_IO_FAILURE, std::string("cannot write the header: ") + std::strerror(errno));
    }
    Done += static_cast<std::size_t>(Count);
  }
  if (fdatasync(Descriptor) != 0) {
    throw EAsfError(E_IO_FAILURE, std::string("cannot flush the header to disk: ") + std::strerror(errno));
  }
}

TBytes ReadBack(int Descriptor, std::size_t Size)
{
  TBytes Bytes(Size);
  std::size_t Done = 0;
  while (Done < Size) {
    ssize_t Count = pread(Descriptor, Bytes.data() + Done, Size - Done, static_cast<off_t>(Done));
    if (Count < 0 && errno == EINTR) {
      continue;
    }
    if (Count <= 0) {
      throw EAsfError(E_IO_FAILURE, "cannot read the written header back");
    }
    Done += static_cast<std::size_t>(Count);
  }
  return Bytes;
}

void AppendPaddingObject(TBytes& Header, std::uint64_t PaddingSize)
{
  std::size_t At = Header.size();
  Header.resize(At + ToSize(PaddingSize), 0);
  std::copy(Guids::Padding.Bytes.begin(), Guids::Padding.Bytes.end(),
            Header.begin() + static_cast<std::ptrdiff_t>(At));
  StoreQword(Header, At + 16, PaddingSize);
  StoreQword(Header, 16, Header.size());
  StoreDword(Header, 24, LoadDword(Header, 24) + 1);
}

// A write that failed part way may have left part of the new header: put the
// old one back if the disk lets us.
void RestoreOriginal(int Descriptor, const TBytes& OriginalHeader)
{
  try {
    WriteAll(Descriptor, OriginalHeader);
  } catch (const EAsfError&) {
    // The first failure is the one reported.
  }
}

} // namespace

TBytes FillHeaderSpace(const THeaderImage& Image, std::uint64_t OldHeaderSize, std::uint64_t FileSize)
{
  TBytes Bytes = Image.Bytes;
  if (Bytes.size() != OldHeaderSize) {
    if (Bytes.size() > OldHeaderSize || OldHeaderSize - Bytes.size() < ObjectHeaderSize) {
      throw EAsfError(E_INVALID_REQUEST, "the new header does not fit the space of the old one");
    }
    AppendPaddingObject(Bytes, OldHeaderSize - Bytes.size());
  }
  if (Image.FileSizeOffset) {
    StoreQword(Bytes, *Image.FileSizeOffset, FileSize);
  }
  return Bytes;
}

void WriteHeaderInPlace(const TLockedFile& File, const THeaderImage& Image, const TAsfHeader& Model,
                        const TBytes& OriginalHeader, const TProgressCallback& Progress)
{
  if (File.CurrentIdentity() != File.Identity()) {
    throw EAsfError(E_FILE_CHANGED, "the file was changed by another program since it was opened");
  }
  TBytes Bytes = FillHeaderSpace(Image, OriginalHeader.size(), File.Identity().Size);
  if (VerifyWrittenHeader(Bytes, Model) != S_OK) {
    throw EAsfError(E_INVALID_REQUEST, "the new header does not read back as written");
  }
  if (Progress) {
    Progress(0, Bytes.size());
  }
  try {
    WriteAll(File.Descriptor(), Bytes);
  } catch (const EAsfError&) {
    RestoreOriginal(File.Descriptor(), OriginalHeader);
    throw;
  }
  if (VerifyWrittenHeader(ReadBack(File.Descriptor(), Bytes.size()), Model) != S_OK) {
    RestoreOriginal(File.Descriptor(), OriginalHeader);
    throw EAsfError(E_IO_FAILURE,
                    "the header on disk differs from the one written; the old one was restored");
  }
  if (Progress) {
    Progress(Bytes.size(), Bytes.size());
  }
}

} // namespace Quillmark::Asf
