#pragma once
// Copies a byte range from one open file to another without holding it in
// memory: copy_file_range where the kernel offers it, else 4 MiB buffers.
#include "metadata/MetadataEditor.h"
#include "metadata/fs/FileSystem.h"

#include <cstdint>

namespace Quillmark::Asf {

constexpr std::size_t CopyBufferSize = 4 * 1024 * 1024;

// ENODATA when the source ends before Count bytes. Progress (may be empty)
// gets the bytes done of Count.
int CopyRange(IFileSystem& Fs, int From, std::uint64_t FromOffset, int To, std::uint64_t ToOffset,
              std::uint64_t Count, const TProgressCallback& Progress);

} // namespace Quillmark::Asf
