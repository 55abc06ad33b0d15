#include "metadata/MetadataEditor.h"

#include <cerrno>

namespace Quillmark {

int DuplicateOpenFile(const TRef<IWMMetadataEditor>& Editor)
{
  if (auto Holding = std::dynamic_pointer_cast<IQuillmarkOpenFile>(Editor)) {
    return Holding->DuplicateDescriptor();
  }
  errno = ENOTSUP;
  return -1;
}

} // namespace Quillmark
