#include "metadata/fs/Crc32.h"

#include <algorithm>
#include <zlib.h>

namespace Quillmark::Asf {

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

} // namespace Quillmark::Asf
