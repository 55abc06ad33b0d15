#pragma once
// A JPEG picture as the program keeps it: the byte stream exactly as it was
// obtained (a loaded file or an attribute's value), never encoded again; its
// pixel size from the frame header; its pixels decoded from the stream only
// when they are first asked for.
#include <cstdint>
#include <string>
#include <vector>

namespace Quillmark {

class TJpegImage {
public:
  enum class TFileLoad { Ok, CannotRead, BadHeader };

  // Keeps Bytes and reads the frame header. False when the header does not
  // parse; an empty stream is a picture of 0 x 0 pixels.
  bool LoadFromBytes(std::vector<std::uint8_t> Bytes);
  // Reads every byte of the file, then as LoadFromBytes.
  TFileLoad LoadFromFile(const std::string& Path);

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  const std::vector<std::uint8_t>& Bytes() const { return FBytes; }

  // Rows of Width() x 3 bytes (red, green, blue), decoded on the first call.
  // Empty when the picture is 0 x 0, too large to decode safely, or its data
  // does not decode.
  const std::vector<std::uint8_t>& Pixels() const;

private:
  std::vector<std::uint8_t> FBytes;
  int FWidth = 0;
  int FHeight = 0;
  mutable bool FDecoded = false;
  mutable std::vector<std::uint8_t> FPixels;
};

} // namespace Quillmark
