#include "tag/ToolReference.h"

#include <iostream>

// quillmark-tag-reference completion|manual TEMPLATE OUTPUT
int main(int argc, char** argv)
{
  if (argc != 4) {
    std::cerr << "usage: quillmark-tag-reference completion|manual TEMPLATE OUTPUT\n";
    return 2;
  }
  return Quillmark::WriteToolReference(argv[1], argv[2], argv[3]);
}
