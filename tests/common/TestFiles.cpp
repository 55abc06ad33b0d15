#include "common/TestFiles.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <stdexcept>
#include <stdlib.h>
#include <sys/wait.h>

namespace QuillmarkTest {

TTempDir::TTempDir()
{
  std::string Pattern = (std::filesystem::temp_directory_path() / "quillmark-test-XXXXXX").string();
  if (mkdtemp(Pattern.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  FPath = Pattern;
}

TTempDir::~TTempDir()
{
  std::error_code Ignored;
  std::filesystem::remove_all(FPath, Ignored);
}

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& Path)
{
  std::ifstream In(Path, std::ios::binary);
  if (!In) {
    throw std::runtime_error("cannot read " + Path.string());
  }
  return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::filesystem::path& Path, const std::vector<std::uint8_t>& Bytes)
{
  std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
  Out.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
  if (!Out) {
    throw std::runtime_error("cannot write " + Path.string());
  }
}

std::filesystem::path CorpusDir()
{
  std::filesystem::path Dir = QUILLMARK_CORPUS_DIR;
  std::error_code Error;
  if (std::filesystem::is_directory(Dir, Error)) {
    return Dir;
  }
  // Continuous integration sets this where the real files are beside the
  // checkout: there a missing folder is a fault, not a reason to skip.
  if (std::getenv("QUILLMARK_REQUIRE_CORPUS") != nullptr) {
    ADD_FAILURE() << "the real files are required but not found at " << Dir;
  }
  return {};
}

int RunCommand(const std::string& Command, std::string* Output)
{
  FILE* Pipe = popen(Command.c_str(), "r");
  if (Pipe == nullptr) {
    return -1;
  }
  std::array<char, 4096> Buffer{};
  size_t Count = 0;
  while ((Count = fread(Buffer.data(), 1, Buffer.size(), Pipe)) > 0) {
    if (Output != nullptr) {
      Output->append(Buffer.data(), Count);
    }
  }
  int Status = pclose(Pipe);
  return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}

} // namespace QuillmarkTest
