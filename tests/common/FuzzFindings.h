#pragma once
// The inputs kept in fuzz/findings/TARGET, replayed through the fuzz target
// that found them: its entry point is compiled into the test program under
// its own name (tests/CMakeLists.txt renames LLVMFuzzerTestOneInput).
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace QuillmarkTest {

using TFuzzEntry = int (*)(const std::uint8_t* Data, std::size_t Size);

// The files kept for Target, in name order; empty when there are none.
std::vector<std::filesystem::path> FuzzFindings(const std::string& Target);

// Runs Entry on every finding of Target, each with its path in the trace.
// A finding that breaks the target's checks aborts the program; the test
// fails when Target has no findings kept, as each target has some.
void ReplayFuzzFindings(const std::string& Target, TFuzzEntry Entry);

} // namespace QuillmarkTest

// The fuzz targets' entry points, as renamed in the test programs.
extern "C" int FuzzHeaderInput(const std::uint8_t* Data, std::size_t Size);
extern "C" int FuzzJournalInput(const std::uint8_t* Data, std::size_t Size);
extern "C" int FuzzJpegInput(const std::uint8_t* Data, std::size_t Size);
extern "C" int FuzzValuesInput(const std::uint8_t* Data, std::size_t Size);
extern "C" int FuzzIconInput(const std::uint8_t* Data, std::size_t Size);
