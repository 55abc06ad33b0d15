#pragma once
// File names in JSON output. A name is bytes and need not be UTF-8, while a
// JSON text must be: a name that is UTF-8 is written as it is; in one that is
// not, each byte that is not part of well-formed UTF-8 is written as the
// escape \udcXX, XX being the byte in hex (0x80 to 0xff), as Python's
// "surrogateescape" handler reads it back. The JSON library cannot hold such
// a name, so it holds a stand-in that FinishFileNames replaces in the text.
#include <string>
#include <vector>

namespace Quillmark {

class TJsonFileNames {
public:
  // What to store as the "file" member for this name.
  std::string Member(const std::string& Name);
  // The dumped text with every stand-in replaced by its name's escaped form.
  std::string Finish(std::string Text) const;

private:
  std::vector<std::string> FEscaped; // names that need the escape, in order
};

// The JSON string literal of a name, quotes included.
std::string JsonNameLiteral(const std::string& Name);

} // namespace Quillmark
