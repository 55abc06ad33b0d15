#pragma once
// Encoding a picture made from a video frame as a baseline JPEG. Pictures
// loaded by the user or read from a file are never encoded; only a picture
// the user asks to be made from the video is.
#include <cstdint>
#include <vector>

#include "video/VideoFile.h"

namespace Quillmark {

// Quality 1 to 100. Throws EVideo when the encoder fails.
std::vector<std::uint8_t> EncodeJpeg(const TRgbImage& Image, int Quality);

} // namespace Quillmark
