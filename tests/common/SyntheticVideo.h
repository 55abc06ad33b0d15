#pragma once
// Small stereo videos made with ffmpeg for the tests: two views of one
// scene, a textured background behind the screen and a test card in front
// of it, so that the two views differ by a shift that changes across the
// picture, composed in each layout.
#include <cstdint>
#include <filesystem>
#include <string>

namespace QuillmarkTest {

enum class TSceneLayout { Mono, SideBySideLF, SideBySideRF, OverUnderLT, OverUnderRT };

struct TScene {
  TSceneLayout Layout = TSceneLayout::Mono;
  bool Half = false;       // halves squeezed into the frame of one view
  double IntroSeconds = 0; // a 2D stretch before the stereo part
  double Seconds = 4;      // the stereo (or 2D) part
  int ViewWidth = 256;     // one view, 4:3 unless told otherwise
  int ViewHeight = 192;
  double BlackSeconds = 0; // black from the start for this long
  // Pixels a point of the background and of the card lies further right in
  // the left view than in the right one: negative behind the screen.
  int BackgroundDisparity = -12;
  int CardDisparity = 10;
  bool Misaligned = false;  // the right view 2 rows lower and 8 % brighter
  bool Slanted = false;     // no card: one surface whose depth grows to the right
  bool TestPattern = false; // 2D: a test pattern instead of the scene
};

// The frame size the scene's video has.
int SceneFrameWidth(const TScene& Scene);
int SceneFrameHeight(const TScene& Scene);

// Makes the video (Windows Media Video 8 in ASF) at Path; false when ffmpeg
// fails.
bool MakeSceneVideo(const TScene& Scene, const std::filesystem::path& Path);

// Makes at To the header of the video at From followed by a Data Object
// that claims the rest of Size bytes and holds nothing: a sparse hole, which
// reads as zeros. False when From is not such a video or To cannot be made.
bool MakeHoleVideo(const std::filesystem::path& From, const std::filesystem::path& To, std::uint64_t Size);

} // namespace QuillmarkTest
