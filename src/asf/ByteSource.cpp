#include "asf/ByteSource.h"

#include "asf/EngineError.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace Quillmark::Asf {

void TMemorySource::ReadAt(std::uint64_t Offset, std::span<std::uint8_t> Buffer) const
{
  if (Offset > FBytes.size() || Buffer.size() > FBytes.size() - Offset) {
    throw EAsfError(E_CORRUPT_HEADER, "read past the end of the data");
  }
  std::copy_n(FBytes.begin() + static_cast<std::ptrdiff_t>(Offset), Buffer.size(), Buffer.begin());
}

TFileSource::TFileSource(int Descriptor) : FDescriptor(Descriptor)
{
  struct stat Status {};
  if (fstat(FDescriptor, &Status) != 0 || Status.st_size < 0) {
    throw EAsfError(E_IO_FAILURE, "cannot query the file's size");
  }
  FLength = static_cast<std::uint64_t>(Status.st_size);
}

void TFileSource::ReadAt(std::uint64_t Offset, std::span<std::uint8_t> Buffer) const
{
  if (Offset > FLength || Buffer.size() > FLength - Offset) {
    throw EAsfError(E_CORRUPT_HEADER, "read past the end of the file");
  }
  std::size_t Done = 0;
  while (Done < Buffer.size()) {
    ssize_t Count =
        pread(FDescriptor, Buffer.data() + Done, Buffer.size() - Done, static_cast<off_t>(Offset + Done));
    if (Count < 0 && errno == EINTR) {
      continue;
    }
    if (Count <= 0) {
      throw EAsfError(E_IO_FAILURE, "cannot read the file");
    }
    Done += static_cast<std::size_t>(Count);
  }
}

} // namespace Quillmark::Asf
