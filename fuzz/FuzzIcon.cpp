// Fuzz target: arbitrary bytes as an icon file. Every image the directory
// lists is decoded, and an icon is drawn at its own size and at 32 pixels;
// what decodes is never larger than an icon image may be, and what is drawn
// has the size asked for.
#include "support/IconUtils.h"

#include <cstdlib>

using namespace Quillmark;

namespace {

constexpr int MaxSide = 1024;

void DecodeEveryImage(const QByteArray& Bytes, const std::vector<TIconDirEntry>& Entries)
{
  for (const TIconDirEntry& Entry : Entries) {
    if (std::uint64_t{Entry.ImageOffset} + Entry.BytesInRes > static_cast<std::uint64_t>(Bytes.size())) {
      continue;
    }
    const QImage Image = DecodeIconImage(Bytes.mid(Entry.ImageOffset, Entry.BytesInRes));
    if (!Image.isNull() && (Image.width() > MaxSide || Image.height() > MaxSide)) {
      std::abort();
    }
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
  const TIconResource Icon{QByteArray(reinterpret_cast<const char*>(Data), static_cast<qsizetype>(Size))};
  const std::optional<std::vector<TIconDirEntry>> Entries = ReadIconDirectory(Icon.Bytes);
  if (!Entries) {
    return 0;
  }
  DecodeEveryImage(Icon.Bytes, *Entries);
  for (int Depth : {32, 8}) {
    const TDisplayIcon Own = CreateIconForDepth(Icon, 0, Depth);
    const TDisplayIcon Drawn = CreateIconForDepth(Icon, 32, Depth);
    if (Own.ChosenIndex >= static_cast<int>(Entries->size()) ||
        (!Drawn.IsNull() && Drawn.Image.size() != QSize(32, 32))) {
      std::abort();
    }
  }
  return 0;
}
