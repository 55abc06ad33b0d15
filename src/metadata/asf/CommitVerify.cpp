#include "metadata/asf/CommitImage.h"
#include "metadata/asf/CommitPaths.h"

#include <cerrno>
#include <cstring>

namespace Quillmark::Asf {

HRESULT VerifyWritten(const TCommitContext& Context, int Fd, const std::vector<std::uint8_t>& Header)
{
  std::vector<std::uint8_t> Read(Header.size() + Context.DataHead.size());
  if (int Error = ReadExact(Context.Fs, Fd, Read.data(), Read.size(), 0); Error != 0) {
    return ErrnoResult(Error == ENODATA ? EIO : Error);
  }
  const std::uint8_t* Tail = Read.data() + Header.size();
  if (ReadQword(Read.data() + 16) != Header.size() ||
      std::memcmp(Read.data(), Header.data(), Header.size()) != 0 ||
      std::memcmp(Tail, Context.DataHead.data(), Context.DataHead.size()) != 0) {
    return E_IO_FAILURE;
  }
  if (!Context.Request.Verify) {
    return S_OK;
  }
  Read.resize(Header.size());
  return Context.Request.Verify(Read) == S_OK ? S_OK : E_CORRUPT_HEADER;
}

} // namespace Quillmark::Asf
