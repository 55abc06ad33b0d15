// Writes seed journals for fuzz_journal into the folder given: journals a
// save of the fuzzer's video could leave, each after the steering byte
// (checksum, inode and size made right by the target).
#include "JournalVideo.h"
#include "fs/Journal.h"

#include <fstream>
#include <string>

using namespace Quillmark::Fs;

namespace {

void WriteBytes(const std::string& Folder, const std::string& Name, std::vector<std::uint8_t> Bytes,
                std::uint8_t Flags)
{
  Bytes.insert(Bytes.begin(), Flags);
  std::ofstream(Folder + "/" + Name, std::ios::binary)
      .write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
}

void Write(const std::string& Folder, const std::string& Name, const TJournal& Journal,
           std::uint8_t Flags = 0x07)
{
  WriteBytes(Folder, Name, EncodeJournal(Journal), Flags);
}

} // namespace

int main(int Count, char** Arguments)
{
  if (Count != 2) {
    return 2;
  }
  const std::vector<std::uint8_t> Video = QuillmarkFuzz::JournalVideo();
  auto Header = Video.begin() + static_cast<long>(QuillmarkFuzz::JournalVideoHeaderSize);

  TJournal Overwrite;
  Overwrite.OldHeader.assign(Video.begin(), Video.begin() + 600);
  Overwrite.NewBytes = Overwrite.OldHeader;
  std::fill(Overwrite.NewBytes.begin() + 100, Overwrite.NewBytes.begin() + 560, 0x5A);
  Write(Arguments[1], "overwrite", Overwrite);

  TJournal Insert;
  Insert.Kind = TJournalKind::InsertRange;
  Insert.OldHeader.assign(Video.begin(), Header);
  Insert.InsertOffset = 512;
  Insert.InsertLength = 4096;
  Insert.NewBytes.assign(Video.begin(), Video.begin() + 700);
  QuillmarkFuzz::PutQword(Insert.NewBytes, 16, QuillmarkFuzz::JournalVideoHeaderSize + 4096);
  Write(Arguments[1], "insert", Insert);

  // Room of 4 KiB at the start, inserted and not yet written over.
  TJournal Room = Insert;
  Room.InsertOffset = 0;
  Room.InsertLength = QuillmarkFuzz::JournalVideoRoom;
  QuillmarkFuzz::PutQword(Room.NewBytes, 16, QuillmarkFuzz::JournalVideoHeaderSize + Room.InsertLength);
  Write(Arguments[1], "room", Room, 0x0F);

  // A relocation: bytes of the start written over, the last 100 bytes
  // replaced by 300 (the target gives the video's size as the old one).
  TJournal Relocate;
  Relocate.Kind = TJournalKind::Relocate;
  Relocate.OldHeader.assign(Video.begin(), Video.begin() + 600);
  Relocate.NewBytes = Overwrite.NewBytes;
  Relocate.OldHeader.insert(Relocate.OldHeader.end(), Video.end() - 100, Video.end());
  Relocate.NewBytes.resize(Relocate.NewBytes.size() + 300, 0xA5);
  Relocate.OriginalSize = Video.size();
  Relocate.InsertOffset = Video.size() - 100;
  Relocate.InsertLength = 300;
  Write(Arguments[1], "relocate", Relocate);

  // As a batch shares them: one record wrapped by the target, and a file of
  // three records as written (none of them naming the fuzzer's video).
  Write(Arguments[1], "shared-overwrite", Overwrite, 0x17);
  WriteBytes(Arguments[1], "shared-three", EncodeJournalSet({&Overwrite, &Insert, &Room}), 0x00);
  return 0;
}
