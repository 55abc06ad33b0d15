#include "tag/HeapReserve.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace Quillmark {

namespace {

constexpr std::size_t PageSize = 4096;
// Larger requests keep their own mappings (pictures, mostly), so that the
// heap holds only what a group of headers needs.
constexpr std::size_t Largest = 8U << 20;

} // namespace

void ReserveHeap(std::size_t Bytes)
{
#if defined(__GLIBC__) && defined(MADV_POPULATE_WRITE)
  Bytes = std::min(Bytes, Largest / 2);
  if (Bytes < 16 * PageSize) {
    return;
  }
  // From the heap, not a mapping of its own, and not handed back to the
  // kernel once free: the block freed below is what the group then uses.
  mallopt(M_MMAP_THRESHOLD, static_cast<int>(Largest));
  mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * Largest));
  void* Block = std::malloc(Bytes);
  if (Block == nullptr) {
    return;
  }
  const auto Start = (reinterpret_cast<std::uintptr_t>(Block) + PageSize - 1) & ~(PageSize - 1);
  const auto End = (reinterpret_cast<std::uintptr_t>(Block) + Bytes) & ~(PageSize - 1);
  if (End > Start) {
    // One call maps every page; a kernel before 5.14 refuses, and the pages
    // are then taken as they are touched, as without this.
    madvise(reinterpret_cast<void*>(Start), End - Start, MADV_POPULATE_WRITE);
  }
  std::free(Block);
#else
  (void)Bytes;
#endif
}

} // namespace Quillmark
