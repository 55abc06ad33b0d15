#pragma once
// Looking into an editor through its interfaces, for tests.
#include "asf/MetadataEditorImpl.h"
#include "common/AsfBuilder.h"
#include "metadata/MetadataEditor.h"

#include <memory>
#include <string>
#include <vector>

namespace QuillmarkTest {

struct TSeenAttribute {
  std::u16string Name;
  Quillmark::WORD Stream = 0;
  Quillmark::WORD Language = 0;
  Quillmark::WMT_ATTR_DATATYPE Type = Quillmark::WMT_TYPE_BINARY;
  TBytes Value;
  bool operator==(const TSeenAttribute&) const = default;
};

// An editor with the header opened from memory; fails the test when it does not open.
std::shared_ptr<Quillmark::Asf::TMetadataEditor> OpenBytes(const TBytes& Bytes);
// Every attribute of a stream, in index order, read with GetAttributeByIndexEx.
std::vector<TSeenAttribute> ListStream(Quillmark::IWMHeaderInfo3& Info, Quillmark::WORD Stream);
// Every attribute of streams 0 to 127.
std::vector<TSeenAttribute> ListAll(Quillmark::IWMHeaderInfo3& Info);
std::vector<std::u16string> Names(const std::vector<TSeenAttribute>& Attributes);

TBytes StringValue(std::u16string_view Text);
TBytes DwordValue(std::uint32_t Value);

} // namespace QuillmarkTest
