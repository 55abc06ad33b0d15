#include "tag/video/VideoWork.h"

#include "tag/video/VideoChanges.h"

namespace Quillmark {

const TVideoWork& FullVideoWork()
{
  static constexpr TVideoWork Work{&RunDetect, &ApplyVideoChanges};
  return Work;
}

} // namespace Quillmark
