#pragma once
// How fast a long batch goes, for the "n of N" line on a terminal.
#include <chrono>
#include <cstddef>
#include <string>

namespace Quillmark {

// ", R files/s, M:SS left" once Done of Total files took Elapsed, or empty
// while too little is known to say (the first two seconds, the first ten
// files) and once every file is done.
std::string PaceText(std::size_t Done, std::size_t Total, std::chrono::duration<double> Elapsed);

} // namespace Quillmark
