#pragma once
// JPEG streams made for tests. The program itself never encodes.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace QuillmarkTest {

// A Width x Height gradient encoded with libjpeg. With PadToBytes larger
// than the stream, bytes follow the end marker until the stream is exactly
// that long (a reader must keep them); a PadToBytes the stream already
// exceeds throws std::invalid_argument.
std::vector<std::uint8_t> MakeJpeg(int Width, int Height, std::size_t PadToBytes = 0);

} // namespace QuillmarkTest
