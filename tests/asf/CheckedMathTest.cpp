// The checked arithmetic at the edges of each type: the last value that fits
// passes, the first that does not is refused with the right result code.
#include "asf/CheckedMath.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>

namespace QuillmarkTest {
namespace {

using namespace Quillmark;
using namespace Quillmark::Asf;

constexpr std::uint64_t Max64 = std::numeric_limits<std::uint64_t>::max();

struct TBoundaryCase {
  const char* Name;
  std::function<std::uint64_t()> Call;
  std::uint64_t Expected; // when Refusal is S_OK
  HRESULT Refusal;
};

TEST(CheckedMath, BoundariesPassOrRefuseWithTheirCode)
{
  const TBoundaryCase Cases[] = {
      {"add to max", [] { return CheckedAdd(Max64 - 1, 1); }, Max64, S_OK},
      {"add past max", [] { return CheckedAdd(Max64, 1); }, 0, E_CORRUPT_HEADER},
      {"add past max, large halves", [] { return CheckedAdd(Max64 / 2 + 1, Max64 / 2 + 1); }, 0,
       E_CORRUPT_HEADER},
      {"add zero to max", [] { return CheckedAdd(Max64, 0); }, Max64, S_OK},
      {"mul by zero", [] { return CheckedMul(Max64, 0); }, 0, S_OK},
      {"mul to max", [] { return CheckedMul(Max64 / 5, 5); }, Max64 / 5 * 5, S_OK},
      {"mul past max", [] { return CheckedMul(std::uint64_t{1} << 32, std::uint64_t{1} << 32); }, 0,
       E_CORRUPT_HEADER},
      {"mul just past max", [] { return CheckedMul(Max64 / 2 + 1, 2); }, 0, E_CORRUPT_HEADER},
      {"word max", [] { return std::uint64_t{ToWord(0xFFFF)}; }, 0xFFFF, S_OK},
      {"word past max", [] { return std::uint64_t{ToWord(0x10000)}; }, 0, E_INVALID_REQUEST},
      {"dword max", [] { return std::uint64_t{ToDword(0xFFFFFFFFU)}; }, 0xFFFFFFFFU, S_OK},
      {"dword past max", [] { return std::uint64_t{ToDword(0x100000000ULL)}; }, 0, E_INVALID_REQUEST},
      {"size of max", [] { return std::uint64_t{ToSize(Max64)}; }, Max64, S_OK},
  };
  for (const TBoundaryCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    if (Case.Refusal == S_OK) {
      EXPECT_EQ(Case.Call(), Case.Expected);
      continue;
    }
    try {
      Case.Call();
      ADD_FAILURE() << "not refused";
    } catch (const EAsfError& Error) {
      EXPECT_EQ(Error.Result(), Case.Refusal);
    }
  }
}

} // namespace
} // namespace QuillmarkTest
