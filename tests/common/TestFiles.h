#pragma once
// Scratch files for tests: a fresh folder per test, removed afterwards.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace QuillmarkTest {

class TTempDir {
public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  const std::filesystem::path& Path() const { return FPath; }
  std::filesystem::path File(const std::string& Name) const { return FPath / Name; }

private:
  std::filesystem::path FPath;
};

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& Path);
void WriteFileBytes(const std::filesystem::path& Path, const std::vector<std::uint8_t>& Bytes);

// The folder of real files written by Windows tools; empty when it is missing.
std::filesystem::path CorpusDir();

// Runs a shell command; returns its exit status and fills Output with stdout.
int RunCommand(const std::string& Command, std::string* Output = nullptr);

} // namespace QuillmarkTest
