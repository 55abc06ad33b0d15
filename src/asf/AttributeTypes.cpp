#include "asf/AttributeTypes.h"

#include "asf/EngineError.h"

#include <algorithm>
#include <array>

namespace Quillmark::Asf {

namespace {

struct TTypeRow {
  WMT_ATTR_DATATYPE Api;
  TDiskType Disk;
  std::optional<std::size_t> FixedSize; // interface size
};

constexpr std::array<TTypeRow, 7> TypeTable = {{
    {WMT_TYPE_STRING, TDiskType::String, std::nullopt},
    {WMT_TYPE_BINARY, TDiskType::Binary, std::nullopt},
    {WMT_TYPE_BOOL, TDiskType::Bool, 4},
    {WMT_TYPE_DWORD, TDiskType::Dword, 4},
    {WMT_TYPE_QWORD, TDiskType::Qword, 8},
    {WMT_TYPE_WORD, TDiskType::Word, 2},
    {WMT_TYPE_GUID, TDiskType::Guid, 16},
}};

const TTypeRow& RowOf(WMT_ATTR_DATATYPE Type)
{
  for (const TTypeRow& Row : TypeTable) {
    if (Row.Api == Type) {
      return Row;
    }
  }
  throw EAsfError(E_INVALID_ARGUMENT, "unknown attribute type");
}

bool IsTerminatedString(std::span<const std::uint8_t> Bytes)
{
  std::size_t Size = Bytes.size();
  return Size >= 2 && Size % 2 == 0 && Bytes[Size - 2] == 0 && Bytes[Size - 1] == 0;
}

bool IsNonZero(std::span<const std::uint8_t> Bytes)
{
  for (std::uint8_t Byte : Bytes) {
    if (Byte != 0) {
      return true;
    }
  }
  return false;
}

TBytes BoolValue(bool Value)
{
  return {static_cast<std::uint8_t>(Value ? 1 : 0), 0, 0, 0};
}

} // namespace

std::optional<WMT_ATTR_DATATYPE> ApiTypeOf(std::uint16_t DiskCode)
{
  for (const TTypeRow& Row : TypeTable) {
    if (static_cast<std::uint16_t>(Row.Disk) == DiskCode) {
      return Row.Api;
    }
  }
  return std::nullopt;
}

TDiskType DiskTypeOf(WMT_ATTR_DATATYPE Type)
{
  return RowOf(Type).Disk;
}

bool IsKnownApiType(std::uint32_t Type)
{
  for (const TTypeRow& Row : TypeTable) {
    if (static_cast<std::uint32_t>(Row.Api) == Type) {
      return true;
    }
  }
  return false;
}

std::optional<std::size_t> FixedApiSize(WMT_ATTR_DATATYPE Type)
{
  return RowOf(Type).FixedSize;
}

TBytes ValueFromCaller(WMT_ATTR_DATATYPE Type, std::span<const std::uint8_t> Value)
{
  std::optional<std::size_t> Fixed = FixedApiSize(Type);
  if (Fixed && Value.size() != *Fixed) {
    throw EAsfError(E_INVALID_ARGUMENT, "value length does not suit its type");
  }
  if (Type == WMT_TYPE_STRING && !IsTerminatedString(Value)) {
    throw EAsfError(E_INVALID_ARGUMENT, "string value without its terminating null");
  }
  if (Type == WMT_TYPE_BOOL) {
    return BoolValue(IsNonZero(Value));
  }
  return {Value.begin(), Value.end()};
}

TBytes ValueFromDisk(WMT_ATTR_DATATYPE Type, std::span<const std::uint8_t> Stored, std::size_t BoolWidth)
{
  if (Type == WMT_TYPE_BOOL) {
    Require(Stored.size() == BoolWidth, "boolean value of the wrong size");
    return BoolValue(IsNonZero(Stored));
  }
  std::optional<std::size_t> Fixed = FixedApiSize(Type);
  Require(!Fixed || Stored.size() == *Fixed, "number value of the wrong size");
  TBytes Value(Stored.begin(), Stored.end());
  if (Type == WMT_TYPE_STRING) {
    Require(Stored.size() % 2 == 0, "string value of odd length");
    // An empty stored string is kept as such; any other without its null
    // gets one, so its last character is not taken for the terminator.
    if (!Stored.empty() && !IsTerminatedString(Stored)) {
      Value.push_back(0);
      Value.push_back(0);
    }
  }
  return Value;
}

std::optional<TBytes> VerbatimOf(WMT_ATTR_DATATYPE Type, std::span<const std::uint8_t> Stored,
                                 std::size_t BoolWidth)
{
  bool Differs = false;
  if (Type == WMT_TYPE_BOOL) {
    Differs = !std::ranges::equal(Stored, ValueToDisk(Type, BoolValue(IsNonZero(Stored)), BoolWidth));
  } else if (Type == WMT_TYPE_STRING) {
    Differs = !Stored.empty() && !IsTerminatedString(Stored);
  }
  if (!Differs) {
    return std::nullopt;
  }
  return TBytes(Stored.begin(), Stored.end());
}

TBytes ValueToDisk(WMT_ATTR_DATATYPE Type, const TBytes& Value, std::size_t BoolWidth)
{
  if (Type == WMT_TYPE_BOOL) {
    TBytes Stored(BoolWidth, 0);
    Stored[0] = static_cast<std::uint8_t>(IsNonZero(Value) ? 1 : 0);
    return Stored;
  }
  return Value;
}

bool IsTerminatedName(std::span<const std::uint8_t> Bytes)
{
  if (!IsTerminatedString(Bytes) || Bytes.size() < 4) {
    return false;
  }
  for (std::size_t I = 0; I + 2 < Bytes.size(); I += 2) {
    if (Bytes[I] == 0 && Bytes[I + 1] == 0) {
      return false;
    }
  }
  return true;
}

} // namespace Quillmark::Asf
