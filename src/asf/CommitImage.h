#pragma once
// The bytes a save writes in front of the Data Object: the engine's Header
// Object with one Padding Object appended as its last child, the Header
// Object's size and child count to match, and File Properties' File Size set
// to the length the file will have.
#include "asf/AsfGuids.h"
#include "asf/AsfHeader.h"
#include "asf/HeaderImage.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace Quillmark::Asf {

// Whether the image is a Header Object whose size field matches its length,
// with a File Size field (if any) inside it.
bool ValidHeaderImage(const THeaderImage& Image);

// PaddingSize 0 appends nothing; otherwise it is at least 24.
std::vector<std::uint8_t> ComposeHeader(const THeaderImage& Image, std::uint64_t PaddingSize,
                                        std::uint64_t FinalFileSize);
// The same header up to the end of the Padding Object's size field; the
// rest of it is zeros.
std::vector<std::uint8_t> ComposeHeaderHead(const THeaderImage& Image, std::uint64_t PaddingSize,
                                            std::uint64_t FinalFileSize);

// The image with every Padding Object inside its Header Extension taken
// out, the sizes and File Size offset to match; nullopt when the extension
// holds none (or the image has no sound extension to walk). Windows leaves
// a few kilobytes of padding there, room a save may take before it grows.
std::optional<THeaderImage> WithoutExtensionPadding(const THeaderImage& Image);

std::uint64_t ReadQword(const std::uint8_t* Bytes);
void WriteQword(std::uint8_t* Bytes, std::uint64_t Value);

} // namespace Quillmark::Asf
