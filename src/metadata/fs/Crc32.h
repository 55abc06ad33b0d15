#pragma once
// CRC-32 as in zlib and PNG (reflected polynomial 0xEDB88320), computed by
// zlib, used to tell a complete save journal from one cut short.
#include <cstddef>
#include <cstdint>

namespace Quillmark::Asf {

std::uint32_t Crc32(const std::uint8_t* Data, std::size_t Size, std::uint32_t Crc = 0);

} // namespace Quillmark::Asf
