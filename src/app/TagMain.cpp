#include "tag/TagTool.h"

int main(int argc, char** argv)
{
  return Quillmark::RunTagTool(argc, argv, nullptr);
}
