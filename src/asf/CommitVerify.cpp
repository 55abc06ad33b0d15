#include "asf/ByteReader.h"
#include "asf/CommitImage.h"
#include "asf/CommitPaths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace Quillmark::Asf {

namespace {

// Read back in pieces of this size: a header with a megabyte of padding
// needs no second megabyte of memory to be checked.
constexpr std::uint64_t ReadBackPiece = 64 * 1024;

// Whether the file holds Expected at Offset; an error when it cannot be read.
int Matches(const TCommitContext& Context, int Fd, const std::uint8_t* Expected, std::uint64_t Size,
            std::uint64_t Offset, std::vector<std::uint8_t>& Piece, bool& Same)
{
  for (std::uint64_t Done = 0; Done < Size && Same;) {
    auto Step = static_cast<std::size_t>(std::min(Size - Done, ReadBackPiece));
    if (int Error = ReadExact(Context.Fs, Fd, Piece.data(), Step, Offset + Done); Error != 0) {
      return Error;
    }
    Same = std::memcmp(Piece.data(), Expected + Done, Step) == 0;
    Done += Step;
  }
  return 0;
}

} // namespace

HRESULT VerifyWritten(const TCommitContext& Context, int Fd, const std::vector<std::uint8_t>& Header,
                      THeaderGap Gap)
{
  if (Gap.Empty()) {
    Gap = {Header.size(), Header.size()};
  }
  // No larger than the longest stretch read back: most headers are a few
  // kilobytes, and a batch checks hundreds of them.
  const std::uint64_t Longest =
      std::max({Gap.From, Header.size() - Gap.To, std::uint64_t{Context.DataHead.size()}});
  std::vector<std::uint8_t> Piece(static_cast<std::size_t>(std::min(Longest, ReadBackPiece)));
  bool Same = true;
  int Error = Matches(Context, Fd, Header.data(), Gap.From, 0, Piece, Same);
  if (Error == 0) {
    Error = Matches(Context, Fd, Header.data() + Gap.To, Header.size() - Gap.To, Gap.To, Piece, Same);
  }
  if (Error == 0) {
    Error = Matches(Context, Fd, Context.DataHead.data(), Context.DataHead.size(), LoadQword(Header, 16),
                    Piece, Same);
  }
  if (Error != 0) {
    return ErrnoResult(Error == ENODATA ? EIO : Error);
  }
  if (!Same) {
    return E_IO_FAILURE;
  }
  // What is on disk is Header, byte for byte, so the engine can check that.
  return Context.Request.Verify ? (Context.Request.Verify(Header) == S_OK ? S_OK : E_CORRUPT_HEADER) : S_OK;
}

} // namespace Quillmark::Asf
