#pragma once
// The rendered Header Object that a save writes at the start of the file.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace Quillmark::Asf {

struct THeaderImage {
  std::vector<std::uint8_t> Bytes; // complete Header Object, no top-level Padding Object
  std::optional<std::size_t>
      FileSizeOffset; // offset in Bytes of File Properties' File Size field; nullopt when the Broadcast flag
                      // is set or there is no File Properties object
};

} // namespace Quillmark::Asf
