#pragma once
// The EBML elements of a Matroska file's header region, for a listing: the
// EBML header and the Segment's elements before its first Cluster, nested
// elements within, each with its offset, ID, name, size and value.
#include "fs/FileSystem.h"
#include "matroska/Ebml.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Quillmark::Matroska {

struct TDumpLine {
  unsigned Depth = 0;
  THead Head;
  std::string Name;  // empty for an element this program does not know
  std::string Value; // an integer or a text; empty for the others
};

// Throws EMatroskaError for a file whose header region is damaged.
std::vector<TDumpLine> DumpHeader(Fs::IFileSystem& Fs, int Fd);

} // namespace Quillmark::Matroska
