#include "asf/AsfGuids.h"

#include <cstdio>

namespace Quillmark::Asf {

std::string GuidToText(const TGuid& Guid)
{
  const auto& B = Guid.Bytes;
  char Text[37];
  std::snprintf(Text, sizeof Text, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                B[3], B[2], B[1], B[0], B[5], B[4], B[7], B[6], B[8], B[9], B[10], B[11], B[12], B[13], B[14],
                B[15]);
  return Text;
}

TObjectKind TopLevelKind(const TGuid& Guid)
{
  if (Guid == Guids::FileProperties) {
    return TObjectKind::FileProperties;
  }
  if (Guid == Guids::HeaderExtension) {
    return TObjectKind::HeaderExtension;
  }
  if (Guid == Guids::ContentDescription) {
    return TObjectKind::ContentDescription;
  }
  if (Guid == Guids::ExtendedContentDescription) {
    return TObjectKind::ExtendedContentDescription;
  }
  if (Guid == Guids::Padding) {
    return TObjectKind::Padding;
  }
  return TObjectKind::Unknown;
}

TObjectKind ExtensionKind(const TGuid& Guid)
{
  if (Guid == Guids::Metadata) {
    return TObjectKind::Metadata;
  }
  if (Guid == Guids::MetadataLibrary) {
    return TObjectKind::MetadataLibrary;
  }
  if (Guid == Guids::LanguageList) {
    return TObjectKind::LanguageList;
  }
  if (Guid == Guids::Padding) {
    return TObjectKind::Padding;
  }
  return TObjectKind::Unknown;
}

} // namespace Quillmark::Asf
