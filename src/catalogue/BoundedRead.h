#pragma once
// Reading a small file the user named (a picture, a values file) without
// trusting what the name leads to: only a regular file is read, a FIFO or a
// device is refused without waiting for it, and never more than a limit plus
// one byte is read, so an endless or huge file costs nothing.
#include <cstdint>
#include <string>
#include <vector>

namespace Quillmark {

enum class TBoundedRead {
  Ok,
  CannotOpen, // no such file, a folder, no permission, or a read failed
  NotRegular, // a FIFO, socket or device
  TooLarge,   // more than the limit
};

// errno of the failure, 0 when there was none or it was no system call's.
struct TBoundedReadResult {
  TBoundedRead Status = TBoundedRead::CannotOpen;
  int Error = 0;
};

TBoundedReadResult ReadBoundedFile(const std::string& Path, std::uint64_t MaxBytes,
                                   std::vector<std::uint8_t>& Bytes);

} // namespace Quillmark
