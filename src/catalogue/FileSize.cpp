#include "catalogue/FileSize.h"

#include <glob.h>
#include <sys/stat.h>

namespace Quillmark {

namespace {

// glob treats "[...]" as a set and "\" as an escape; a directory search
// knows neither, so both are escaped and only "*" and "?" stay wildcards.
std::string SearchPattern(const std::string& Name)
{
  std::string Pattern;
  Pattern.reserve(Name.size());
  for (const char Char : Name) {
    if (Char == '[' || Char == ']' || Char == '\\') {
      Pattern.push_back('\\');
    }
    Pattern.push_back(Char);
  }
  return Pattern;
}

class TGlob {
public:
  explicit TGlob(const std::string& Pattern)
  {
    // GLOB_PERIOD lets wildcards match hidden entries too.
    FFound = glob(Pattern.c_str(), GLOB_PERIOD, nullptr, &FResult) == 0 && FResult.gl_pathc > 0;
  }
  ~TGlob() { globfree(&FResult); }
  TGlob(const TGlob&) = delete;
  TGlob& operator=(const TGlob&) = delete;

  const char* First() const { return FFound ? FResult.gl_pathv[0] : nullptr; }

private:
  glob_t FResult{};
  bool FFound = false;
};

} // namespace

std::int64_t FileSizeByName(const std::string& Name)
{
  if (Name.empty()) {
    return -1;
  }
  const TGlob Search(SearchPattern(Name));
  const char* Found = Search.First();
  if (Found == nullptr) {
    return -1;
  }
  struct stat Info {};
  // A link that leads nowhere is still an entry: its own size counts.
  if (stat(Found, &Info) != 0 && lstat(Found, &Info) != 0) {
    return -1;
  }
  if (S_ISDIR(Info.st_mode)) {
    return 0;
  }
  return static_cast<std::int64_t>(Info.st_size);
}

} // namespace Quillmark
