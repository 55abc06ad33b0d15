#pragma once
// The video work of quillmark-tag-video, for RunTagTool.
#include "tag/VideoHandOff.h"

namespace Quillmark {

const TVideoWork& FullVideoWork();

} // namespace Quillmark
