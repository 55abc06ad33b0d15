#pragma once
// CRC-32 as in zlib and PNG (reflected polynomial 0xEDB88320), computed by
// zlib, used to tell a complete save journal from one cut short.
#include <cstddef>
#include <cstdint>

namespace Quillmark::Fs {

std::uint32_t Crc32(const std::uint8_t* Data, std::size_t Size, std::uint32_t Crc = 0);
// The CRC-32 of A's bytes followed by B's, from the CRC of each and B's
// length, without reading either again.
std::uint32_t Crc32Combine(std::uint32_t CrcA, std::uint32_t CrcB, std::uint64_t SizeB);

} // namespace Quillmark::Fs
