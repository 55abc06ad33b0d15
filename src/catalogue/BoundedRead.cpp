#include "catalogue/BoundedRead.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quillmark {

namespace {

class TDescriptor {
public:
  explicit TDescriptor(int Fd) : FFd(Fd) {}
  ~TDescriptor()
  {
    if (FFd >= 0) {
      ::close(FFd);
    }
  }
  TDescriptor(const TDescriptor&) = delete;
  TDescriptor& operator=(const TDescriptor&) = delete;
  int Fd() const { return FFd; }

private:
  int FFd;
};

// Reads until the end or until Limit bytes are in; false on a read error.
bool ReadUpTo(int Fd, std::uint64_t Limit, std::vector<std::uint8_t>& Bytes, int& Error)
{
  constexpr std::size_t Chunk = 64 * 1024;
  while (Bytes.size() < Limit) {
    const std::size_t Old = Bytes.size();
    const std::size_t Want = static_cast<std::size_t>(std::min<std::uint64_t>(Chunk, Limit - Old));
    Bytes.resize(Old + Want);
    const ssize_t Got = ::read(Fd, Bytes.data() + Old, Want);
    if (Got < 0 && errno == EINTR) {
      Bytes.resize(Old);
      continue;
    }
    if (Got < 0) {
      Error = errno;
      return false;
    }
    Bytes.resize(Old + static_cast<std::size_t>(Got));
    if (Got == 0) {
      break;
    }
  }
  return true;
}

} // namespace

TBoundedReadResult ReadBoundedFile(const std::string& Path, std::uint64_t MaxBytes,
                                   std::vector<std::uint8_t>& Bytes)
{
  Bytes.clear();
  // Non-blocking, so that opening a FIFO does not wait for a writer.
  TDescriptor File(::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (File.Fd() < 0) {
    return {TBoundedRead::CannotOpen, errno};
  }
  struct stat Info {};
  if (::fstat(File.Fd(), &Info) != 0) {
    return {TBoundedRead::CannotOpen, errno};
  }
  if (S_ISDIR(Info.st_mode)) {
    return {TBoundedRead::CannotOpen, EISDIR};
  }
  if (!S_ISREG(Info.st_mode)) {
    return {TBoundedRead::NotRegular, 0};
  }
  if (static_cast<std::uint64_t>(Info.st_size) > MaxBytes) {
    return {TBoundedRead::TooLarge, 0};
  }
  int Error = 0;
  // One byte more than allowed tells a file that grew since fstat.
  if (!ReadUpTo(File.Fd(), MaxBytes + 1, Bytes, Error)) {
    Bytes.clear();
    return {TBoundedRead::CannotOpen, Error};
  }
  if (Bytes.size() > MaxBytes) {
    Bytes.clear();
    return {TBoundedRead::TooLarge, 0};
  }
  return {TBoundedRead::Ok, 0};
}

} // namespace Quillmark
