#pragma once
// Reading a Header Object from a byte source. Throws EAsfError: E_CORRUPT_HEADER
// for anything that is not a sound ASF header, E_IO_FAILURE when the source
// cannot be read.
#include "asf/AsfHeader.h"
#include "asf/ByteSource.h"
#include "asf/EngineError.h"

#include <span>

namespace Quillmark::Asf {

// Bytes read first; a header larger than this takes one more read. Most
// headers (a few kilobytes, padding included) fit.
constexpr std::size_t FirstReadSize = 8 * 1024;

struct TParseOptions {
  // A file must go on with a Data Object; a header alone (a test, a fuzz
  // input, a header read back after a save) need not. Bytes that follow the
  // header must begin a Data Object either way.
  bool RequireDataObject = true;
};

// The Header Object's bytes after checking its size against the source and
// MaxHeaderSize, but for the payload of a final top-level Padding Object
// that reaches past the first read: after a growing save of a big video
// that is a megabyte nobody reads. Whatever it holds, it stays as it is.
TBytes ReadHeaderBytes(const IByteSource& Source, const TParseOptions& Options);
// Parses exactly one Header Object held in Bytes. Bytes may stop short of
// the header's size only inside the payload of its final top-level Padding
// Object.
TAsfHeader ParseHeaderBytes(std::span<const std::uint8_t> Bytes);
TAsfHeader ParseHeader(const IByteSource& Source, const TParseOptions& Options = {});

} // namespace Quillmark::Asf
