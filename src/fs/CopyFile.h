#pragma once
// Copies a byte range from one open file to another without holding it in
// memory: copy_file_range where the kernel offers it, else 4 MiB buffers.
#include "fs/FileSystem.h"

#include <cstdint>
#include <functional>

namespace Quillmark::Fs {

// Told the bytes done and the bytes of the whole copy.
using TCopyProgress = std::function<void(std::uint64_t Done, std::uint64_t Total)>;

constexpr std::size_t CopyBufferSize = 4 * 1024 * 1024;

// ENODATA when the source ends before Count bytes. Progress (may be empty)
// gets the bytes done of Count.
int CopyRange(IFileSystem& Fs, int From, std::uint64_t FromOffset, int To, std::uint64_t ToOffset,
              std::uint64_t Count, const TCopyProgress& Progress);

} // namespace Quillmark::Fs
