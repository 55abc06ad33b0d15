// Between any two calls of a save another program renames, swaps, links or
// mounts things at the names the save uses. Whatever it does, the save
// writes only the file it opened and its own side files, and removes only
// what it made itself.
#include "asf/CommitTestFiles.h"
#include "common/TestFiles.h"
#include "fs/CommitFaultFileSystem.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <random>
#include <sys/mount.h>
#include <unistd.h>

namespace QuillmarkTest {

namespace {

using namespace Quillmark;
using namespace Quillmark::Asf;
namespace fs = std::filesystem;

struct TSavePath {
  const char* Name;
  std::size_t Payload;
  bool AllowInsert;
  std::uint64_t CloneBlock;
};

const TSavePath SavePaths[] = {
    {"in place", 1000, true, 0},
    {"insert", 9000, true, 0},
    {"clone", 9000, false, 4096},
    {"copy", 9000, false, 0},
};

// The world a save runs in: its folder "dir" with the video, and beside it
// "elsewhere", whose files carry our side files' names and must never be
// touched. Events change the world; the checks say where the video went.
class TWorld {
public:
  TWorld() : FDir(fs::canonical(FTemp.Path()) / "dir"), FElsewhere(fs::canonical(FTemp.Path()) / "elsewhere")
  {
    fs::create_directory(FDir);
    fs::create_directory(FElsewhere);
    for (const char* Name : {"clip.wmv", ".clip.wmv.quillmark-journal", ".clip.wmv.quillmark-new"}) {
      WriteFileBytes(FElsewhere / Name, Stranger(Name));
    }
  }
  ~TWorld()
  {
    if (FMounted) {
      umount2(FDir.c_str(), MNT_DETACH);
    }
  }

  fs::path Video() const { return FDir / "clip.wmv"; }
  // Where the video's folder is now, and the video's name in it.
  fs::path RealVideo() const
  {
    return (FFolderMoved ? fs::path(FDir.string() + "-moved") : FDir) / FVideoName;
  }
  fs::path RealFolder() const { return RealVideo().parent_path(); }

  static TBytes Stranger(const std::string& Name) { return TBytes(Name.begin(), Name.end()); }

  // Files that are not ours, by path, with the bytes they must keep.
  std::map<fs::path, TBytes> FStrangers;

  void RenameVideo()
  {
    if (FVideoName == "clip.wmv" && !FMounted) {
      fs::rename(RealFolder() / "clip.wmv", RealFolder() / "moved.wmv");
      FVideoName = "moved.wmv";
    }
  }
  void SwapVideo()
  {
    if (FVideoName == "clip.wmv" && !FMounted) {
      RenameVideo();
      Plant(RealFolder() / "clip.wmv");
    }
  }
  void FolderToLink()
  {
    if (!FFolderMoved && !FMounted) {
      fs::rename(FDir, FDir.string() + "-moved");
      fs::create_directory_symlink(FElsewhere, FDir);
      FFolderMoved = true;
      std::map<fs::path, TBytes> Moved;
      for (auto& [Path, Bytes] : FStrangers) {
        Moved[Path.parent_path() == FDir ? RealFolder() / Path.filename() : Path] = Bytes;
      }
      FStrangers = std::move(Moved);
    }
  }
  // A file at a side file's name while ours is not there. (Taking a name
  // from a file of ours takes the right to remove it, which a sticky folder
  // denies to others, and which anyone a folder allows could use to remove
  // the file directly.)
  void PlantSide(const char* Suffix)
  {
    const fs::path Side = RealFolder() / (".clip.wmv" + std::string(Suffix));
    if (!fs::exists(fs::symlink_status(Side))) {
      Plant(Side);
    }
  }
  // A link at a side file's name, to a file elsewhere.
  void LinkSide(const char* Suffix)
  {
    const fs::path Side = RealFolder() / (".clip.wmv" + std::string(Suffix));
    if (!fs::exists(fs::symlink_status(Side))) {
      fs::create_symlink(FElsewhere / ("x" + std::string(Suffix)), Side);
      WriteFileBytes(FElsewhere / ("x" + std::string(Suffix)), Stranger(Suffix));
      FStrangers[FElsewhere / ("x" + std::string(Suffix))] = Stranger(Suffix);
    }
  }
  // Another disk over the folder's name (only where mounting is allowed).
  void MountOverFolder()
  {
    if (!FMounted && !FFolderMoved && mount("none", FDir.c_str(), "tmpfs", 0, "size=1m") == 0) {
      FMounted = true;
      Plant(FDir / "clip.wmv");
    }
  }
  void Unmount()
  {
    if (FMounted) {
      umount2(FDir.c_str(), MNT_DETACH);
      FMounted = false;
      for (const fs::path& Gone : FOnMount) {
        FStrangers.erase(Gone);
      }
    }
  }

  void ExpectStrangersKept(const std::string& Where) const
  {
    for (const auto& [Path, Bytes] : FStrangers) {
      EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Path)) && ReadFileBytes(Path) == Bytes)
          << Where << ": " << Path;
    }
    for (const char* Name : {"clip.wmv", ".clip.wmv.quillmark-journal", ".clip.wmv.quillmark-new"}) {
      EXPECT_EQ(ReadFileBytes(FElsewhere / Name), Stranger(Name)) << Where << ": elsewhere " << Name;
    }
  }

  // Side files of ours still present: those in the folder not planted, and
  // not the video itself, which a save that found its names taken leaves
  // where it is.
  std::vector<fs::path> OwnSideFiles(ino_t Video) const
  {
    std::vector<fs::path> Own;
    for (const fs::path& Side : SideFiles(RealFolder())) {
      if (FStrangers.count(Side) == 0 && !fs::is_symlink(Side) && InodeOf(Side) != Video) {
        Own.push_back(Side);
      }
    }
    return Own;
  }

  // The file of inode Video in the folder, wherever another program put it.
  std::optional<fs::path> Find(ino_t Video) const
  {
    for (const auto& Entry : fs::directory_iterator(RealFolder())) {
      if (Entry.is_regular_file() && !Entry.is_symlink() && InodeOf(Entry.path()) == Video) {
        return Entry.path();
      }
    }
    return std::nullopt;
  }

private:
  void Plant(const fs::path& Path)
  {
    WriteFileBytes(Path, Stranger(Path.filename().string()));
    FStrangers[Path] = Stranger(Path.filename().string());
    if (FMounted) {
      FOnMount.push_back(Path);
    }
  }

  TTempDir FTemp;
  fs::path FDir;
  fs::path FElsewhere;
  std::string FVideoName = "clip.wmv";
  bool FFolderMoved = false;
  bool FMounted = false;
  std::vector<fs::path> FOnMount; // files planted on the mounted disk, gone with it
};

using TEvent = std::function<void(TWorld&)>;

const std::pair<const char*, TEvent> Events[] = {
    {"rename the video", [](TWorld& World) { World.RenameVideo(); }},
    {"swap the video for another file", [](TWorld& World) { World.SwapVideo(); }},
    {"swap the folder for a link", [](TWorld& World) { World.FolderToLink(); }},
    {"plant the copy's name", [](TWorld& World) { World.PlantSide(".quillmark-new"); }},
    {"plant the journal's name", [](TWorld& World) { World.PlantSide(".quillmark-journal"); }},
    {"link the copy's name elsewhere", [](TWorld& World) { World.LinkSide(".quillmark-new"); }},
    {"link the journal's name elsewhere", [](TWorld& World) { World.LinkSide(".quillmark-journal"); }},
    {"mount a disk over the folder", [](TWorld& World) { World.MountOverFolder(); }},
};

class NameEventTest : public ::testing::Test {
protected:
  void SetUp() override { FSample = MakeSample(2000, 0, 20000); }

  // Saves through a file system that runs each event before its call;
  // returns the result and the number of calls made.
  HRESULT Save(TWorld& World, const TSavePath& Path, const std::map<int, TEvent>& At, int& Calls)
  {
    WriteFileBytes(World.Video(), FSample.Bytes);
    FOpened = InodeOf(World.Video());
    TFaultFileSystem Fs;
    if (Path.CloneBlock != 0) {
      Fs.EmulateClone(Path.CloneBlock);
    }
    for (const auto& [Nth, Event] : At) {
      Fs.BeforeNth(Nth, [&World, Event = Event] { Event(World); });
    }
    TOpenVideo Open(World.Video());
    Open.HoldNames();
    TCommitRequest Request = Open.Request(MakeImage(Path.Payload), FSample.HeaderSize);
    Request.AllowInsertRange = Path.AllowInsert;
    Request.Fs = &Fs;
    const HRESULT Result = CommitHeader(Request);
    Calls = Fs.Calls();
    Fs.CloseLeftovers();
    World.Unmount();
    return Result;
  }

  TBytes NewFile(const TSavePath& Path)
  {
    TWorld World;
    int Calls = 0;
    EXPECT_EQ(Save(World, Path, {}, Calls), S_OK) << Path.Name;
    return ReadFileBytes(World.Video());
  }

  // After a saved one the video's name holds the new file; after a failed
  // one the file opened is old, wherever it is. The strangers are as they
  // were, and none of our side files is left.
  void Check(const TWorld& World, HRESULT Result, const TBytes& New, const std::string& Where)
  {
    if (Result == S_OK) {
      EXPECT_EQ(ReadFileBytes(World.RealVideo()), New) << Where;
    } else {
      const std::optional<fs::path> Opened = World.Find(FOpened);
      ASSERT_TRUE(Opened) << Where;
      EXPECT_EQ(ReadFileBytes(*Opened), FSample.Bytes) << Where << ": " << ResultName(Result);
    }
    World.ExpectStrangersKept(Where);
    EXPECT_TRUE(World.OwnSideFiles(FOpened).empty()) << Where;
  }

  TSampleFile FSample;
  ino_t FOpened = 0;
};

TEST_F(NameEventTest, EveryEventBeforeEveryCallOfEverySavePath)
{
  for (const TSavePath& Path : SavePaths) {
    const TBytes New = NewFile(Path);
    int Calls = 0;
    {
      TWorld World;
      Save(World, Path, {}, Calls);
    }
    for (const auto& [EventName, Event] : Events) {
      for (int Nth = 1; Nth <= Calls; ++Nth) {
        TWorld World;
        int Made = 0;
        const HRESULT Result = Save(World, Path, {{Nth, Event}}, Made);
        Check(World, Result, New,
              std::string(Path.Name) + ", " + EventName + " before call " + std::to_string(Nth));
      }
    }
  }
}

// Several events at random calls of one save, for each save path.
TEST_F(NameEventTest, ShuffledEventsLeaveOnlyTheVideoChanged)
{
  std::mt19937 Random(20261210);
  for (const TSavePath& Path : SavePaths) {
    const TBytes New = NewFile(Path);
    for (int Round = 0; Round < 40; ++Round) {
      std::map<int, TEvent> At;
      std::string Where = std::string(Path.Name) + ", round " + std::to_string(Round) + ":";
      for (int Count = 1 + static_cast<int>(Random() % 3); Count > 0; --Count) {
        const auto& [EventName, Event] = Events[Random() % std::size(Events)];
        const int Nth = 1 + static_cast<int>(Random() % 40);
        At[Nth] = Event;
        Where += std::string(" ") + EventName + " at " + std::to_string(Nth) + ";";
      }
      TWorld World;
      int Calls = 0;
      const HRESULT Result = Save(World, Path, At, Calls);
      Check(World, Result, New, Where);
    }
  }
}

} // namespace

} // namespace QuillmarkTest
