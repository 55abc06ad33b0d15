#include "asf/AsfHeader.h"

namespace Quillmark::Asf {

std::optional<std::size_t> ContentDescriptionField(const std::u16string& Name)
{
  for (std::size_t I = 0; I < ContentDescriptionNames.size(); ++I) {
    if (Name == ContentDescriptionNames[I]) {
      return I;
    }
  }
  return std::nullopt;
}

} // namespace Quillmark::Asf
