#pragma once
// Unit FileSize: the size of a file found by name, as a directory search
// gives it.
#include <cstdint>
#include <string>

namespace Quillmark {

// The 64-bit size of the first directory entry matching Name, of any kind
// (hidden, directory, special); -1 when none matches. "*" and "?" are
// wildcards as in a directory search; every other character, "[" and "\"
// included, stands for itself. A directory's size is 0, as a directory
// search reports it.
std::int64_t FileSizeByName(const std::string& Name);

} // namespace Quillmark
