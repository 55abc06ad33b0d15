#include "tag/TagTool.h"
#include "tag/video/VideoWork.h"

// quillmark-tag with the commands that look at videos: quillmark-tag hands
// those commands over to this program.
int main(int argc, char** argv)
{
  return Quillmark::RunTagTool(argc, argv, &Quillmark::FullVideoWork());
}
