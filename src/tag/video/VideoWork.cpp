#include "tag/video/VideoWork.h"

#include "tag/video/DetectCommand.h"
#include "tag/video/VideoChanges.h"

namespace Quillmark {

const TVideoWork& FullVideoWork()
{
  static constexpr TVideoWork Work{&RunDetect, &ApplyVideoChanges, &ApplyFileVideoChanges};
  return Work;
}

} // namespace Quillmark
