#pragma once
// Memory for a group of saves, asked of the kernel at once.
#include <cstddef>

namespace Quillmark {

// Makes the next Bytes of small allocations come from memory already
// mapped: the heap is grown by Bytes in one call that maps every page, and
// kept at that size when the memory is freed. A group of saves holds every
// file's headers until the group is saved, and taking each page on its
// first touch costs more than the rest of a small save. Only glibc's heap
// is tuned; elsewhere, or when the kernel cannot map ahead, nothing changes.
void ReserveHeap(std::size_t Bytes);

} // namespace Quillmark
