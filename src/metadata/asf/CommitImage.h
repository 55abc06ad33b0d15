#pragma once
// The bytes a save writes in front of the Data Object: the engine's Header
// Object with one Padding Object appended as its last child, the Header
// Object's size and child count to match, and File Properties' File Size set
// to the length the file will have.
#include "metadata/asf/HeaderImage.h"

#include <cstdint>
#include <vector>

namespace Quillmark::Asf {

constexpr std::uint8_t HeaderObjectGuid[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                               0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr std::uint8_t DataObjectGuid[16] = {0x36, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                             0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr std::uint8_t PaddingObjectGuid[16] = {0x74, 0xD4, 0x06, 0x18, 0xDF, 0xCA, 0x09, 0x45,
                                                0xA4, 0xBA, 0x9A, 0xAB, 0xCB, 0x96, 0xAA, 0xE8};
constexpr std::size_t HeaderObjectFixedSize = 30;

// Whether the image is a Header Object whose size field matches its length,
// with a File Size field (if any) inside it.
bool ValidHeaderImage(const THeaderImage& Image);

// PaddingSize 0 appends nothing; otherwise it is at least 24.
std::vector<std::uint8_t> ComposeHeader(const THeaderImage& Image, std::uint64_t PaddingSize,
                                        std::uint64_t FinalFileSize);

std::uint64_t ReadQword(const std::uint8_t* Bytes);
void WriteQword(std::uint8_t* Bytes, std::uint64_t Value);

} // namespace Quillmark::Asf
