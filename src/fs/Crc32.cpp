#include "fs/Crc32.h"

#include <algorithm>
#include <zlib.h>

namespace Quillmark::Fs {

std::uint32_t Crc32(const std::uint8_t* Data, std::size_t Size, std::uint32_t Crc)
{
  // zlib's lengths are z_size_t; a journal fits one call, but any size works.
  unsigned long Value = Crc;
  while (Size > 0) {
    const auto Step = static_cast<z_size_t>(std::min<std::size_t>(Size, 1U << 30));
    Value = crc32_z(Value, Data, Step);
    Data += Step;
    Size -= Step;
  }
  return static_cast<std::uint32_t>(Value);
}

std::uint32_t Crc32Combine(std::uint32_t CrcA, std::uint32_t CrcB, std::uint64_t SizeB)
{
  return static_cast<std::uint32_t>(crc32_combine64(CrcA, CrcB, static_cast<z_off64_t>(SizeB)));
}

} // namespace Quillmark::Fs
