#pragma once
// Running quillmark-tag in-process, as the shell would.
#include "tag/TagTool.h"
#include "tag/video/VideoWork.h"

#include <sstream>
#include <string>
#include <vector>

namespace QuillmarkTest {

struct TRun {
  int Status = -1;
  std::string Out;
  std::string Err;
};

inline TRun RunTool(std::vector<std::string> Arguments)
{
  Arguments.insert(Arguments.begin(), "quillmark-tag");
  std::vector<const char*> Pointers;
  for (const std::string& Argument : Arguments) {
    Pointers.push_back(Argument.c_str());
  }
  std::ostringstream Out;
  std::ostringstream Err;
  TRun Result;
  Result.Status = Quillmark::RunTagTool(static_cast<int>(Pointers.size()), Pointers.data(), Out, Err,
                                        &Quillmark::FullVideoWork());
  Result.Out = Out.str();
  Result.Err = Err.str();
  return Result;
}

} // namespace QuillmarkTest
