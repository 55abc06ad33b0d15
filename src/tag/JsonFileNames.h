#pragma once
// File names in JSON output. A name is bytes and need not be UTF-8, while a
// JSON text must be: a name that is UTF-8 is written as it is; in one that is
// not, each byte that is not part of well-formed UTF-8 is written as the
// escape \udcXX, XX being the byte in hex (0x80 to 0xff), as Python's
// "surrogateescape" handler reads it back. The JSON library cannot hold such
// a name, so it holds a stand-in that FinishFileNames replaces in the text.
#include <iosfwd>
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

// One JSON array of per-file objects, written one object at a time as the
// files are read, so memory stays flat over any number of files and the
// first bytes go out at once. The text is the same as the whole array
// dumped with an indent of 2.
class TJsonFileArray {
public:
  explicit TJsonFileArray(std::ostream& Out);
  TJsonFileArray(const TJsonFileArray&) = delete;
  TJsonFileArray& operator=(const TJsonFileArray&) = delete;

  // What to store as the "file" member of the object added next.
  std::string Member(const std::string& Name) { return FNames.Member(Name); }
  // Writes an object (any of the JSON library's types) and flushes it.
  template <class TJson> void Add(const TJson& Object) { AddDumped(Object.dump(2)); }
  // Closes the array; the text is a valid JSON document only after this.
  void Close();

private:
  void AddDumped(std::string Text);

  std::ostream& FOut;
  TJsonFileNames FNames; // the stand-ins of the object added next
  bool FEmpty = true;
};

// The JSON string literal of a name, quotes included.
std::string JsonNameLiteral(const std::string& Name);

} // namespace Quillmark
