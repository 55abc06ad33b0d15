#pragma once
// Little-endian writing into a growing byte vector.
#include "asf/AsfGuids.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace Quillmark::Asf {

class TByteWriter {
public:
  void Byte(std::uint8_t Value) { FBytes.push_back(Value); }
  void Word(std::uint16_t Value) { Unsigned(Value, 2); }
  void Dword(std::uint32_t Value) { Unsigned(Value, 4); }
  void Qword(std::uint64_t Value) { Unsigned(Value, 8); }
  void Guid(const TGuid& Value) { Append(Value.Bytes); }
  void Append(std::span<const std::uint8_t> Bytes)
  {
    FBytes.insert(FBytes.end(), Bytes.begin(), Bytes.end());
  }

  // Starts an object: GUID and a size field that EndObject fills in.
  std::size_t BeginObject(const TGuid& Value);
  void EndObject(std::size_t Start);

  std::size_t Size() const { return FBytes.size(); }
  std::vector<std::uint8_t>& Bytes() { return FBytes; }

private:
  void Unsigned(std::uint64_t Value, std::size_t Width);

  std::vector<std::uint8_t> FBytes;
};

void StoreWord(std::span<std::uint8_t> Bytes, std::size_t Offset, std::uint16_t Value);
void StoreDword(std::span<std::uint8_t> Bytes, std::size_t Offset, std::uint32_t Value);
void StoreQword(std::span<std::uint8_t> Bytes, std::size_t Offset, std::uint64_t Value);

} // namespace Quillmark::Asf
