// The game's loaders read every generated file: pictures through the draw component,
// effects through the sound component, songs through the MIDI component and its sequencer.
#include <map>
#include <memory>

#include "asset_files.h"
#include "asset_names.h"
#include "platform/files.h"
#include "platform/headless/backend.h"
#include "vantor/draw/draw.h"
#include "vantor/midi/midi.h"
#include "vantor/sound/sound.h"

namespace assets_test {
namespace {

class LibraryLoad : public ::testing::Test {
 protected:
  LibraryLoad() {
    platform::MapFolder("bmp", AssetPath("bmp"));
    platform::MapFolder("sound", AssetPath("sound"));
  }
  ~LibraryLoad() override { platform::ClearFolderMaps(); }

  platform::headless::Backend backend;
};

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

TEST_F(LibraryLoad, EveryPictureRegistersAtItsSizeInSixteenAndThirtyTwoBits) {
  for (VantorDrawSystem::TColorDepth depth : {VantorDrawSystem::cd16bpp, VantorDrawSystem::cd32bpp}) {
    auto draw = std::make_unique<VantorDrawSystem::TVantorDraw>(nullptr);
    draw->SetFullScreen(true);
    draw->SetColorDepth(depth);
    draw->Init();
    for (const NamedPicture& n : NamedPictures()) {
      draw->CreateSurface(n.surface, "bmp\\" + n.file + ".bmp", 0, 0);
      const auto info = draw->GetSurfaceInfo(n.surface);
      EXPECT_EQ(info.Width, n.width) << n.surface;
      EXPECT_EQ(info.Height, n.height) << n.surface;
      EXPECT_EQ(info.CellCount, 1) << n.surface;
    }
    int sprites = 0;
    for (const std::string& name : SpriteTable()) {
      draw->CreateSurface(name, "bmp\\" + name + ".bmp", 0, 0);
      const auto info = draw->GetSurfaceInfo(name);
      sprites += info.Width > 0 && info.Height > 0;
    }
    EXPECT_EQ(sprites, 469);
  }
}

TEST_F(LibraryLoad, EveryEffectLoadsWholeAndPlays) {
  VantorSoundSystem::TVantorSound sound(nullptr);
  sound.Init(nullptr);
  for (int n = 1; n <= 10; ++n) {
    const std::string name = TwoDigits(n);
    EXPECT_NO_THROW({
      sound.CreateBuffer(name, "sound\\" + EffectFile(n), false);
      sound.SetVolume(name, 0);
      sound.Play(name, false);
    }) << EffectFile(n);
  }
}

TEST_F(LibraryLoad, EverySongLoadsWithItsNamesAndMarkers) {
  VantorMidiSystem::TVantorMidi midi(nullptr);
  for (int n = 0; n < 6; ++n) {
    const std::string name = TwoDigits(n + 1);
    midi.CreateData(name, "sound\\" + SongFile(n));
    const auto* song = midi.GetSMFData(name);
    EXPECT_EQ(song->Format, 1) << name;
    EXPECT_GE(song->TrackNames.size(), 5u) << name;
    EXPECT_EQ(song->BeatNumerator, 4u) << name;
    int markers = 0;
    for (const auto& e : song->MetaEvents) markers += e.Type == 0x06;
    EXPECT_EQ(markers, n < 4 ? 2 : 0) << name;
  }
}

TEST_F(LibraryLoad, TheStageSongLoopsWithNothingLeftSounding) {
  // Played looping through the real sequencer: just before the jump at "RepeatEnd" no note
  // is on, and after it the loop goes on playing.
  VantorMidiSystem::TVantorMidi midi(nullptr);
  midi.Init();
  midi.CreateData("02", "sound\\" + SongFile(1));
  const auto* song = midi.GetSMFData("02");
  uint32_t usPerQuarter = 500000, endTick = 0;
  for (const auto& e : song->MetaEvents) {
    if (e.Type == 0x51 && e.Time == 0) usPerQuarter = static_cast<uint32_t>(e.Value);
    if (e.Type == 0x06 && e.Text == "RepeatEnd") endTick = static_cast<uint32_t>(e.Time);
  }
  ASSERT_GT(endTick, 0u);
  // The sequencer counts whole milliseconds per quarter note.
  const uint32_t jumpMs = endTick * (usPerQuarter / 1000) / static_cast<uint32_t>(song->Division);

  backend.midi.ClearRecords();
  const uint32_t startMs = backend.clock.Milliseconds();
  midi.Play("02", true);
  auto soundingNotes = [&] {
    std::map<int, int> on;
    for (const auto& r : backend.midi.Records()) {
      if (r.kind != platform::headless::MidiRecord::Kind::Short) continue;
      const int kind = r.bytes[0] & 0xF0, key = (r.bytes[0] & 0x0F) * 128 + r.bytes[1];
      if (kind == 0x90 && r.bytes[2] > 0) ++on[key];
      if (kind == 0x80 || (kind == 0x90 && r.bytes[2] == 0)) --on[key];
    }
    int sounding = 0;
    for (const auto& [key, count] : on) sounding += count > 0;
    return sounding;
  };
  while (backend.clock.Milliseconds() - startMs + 30 < jumpMs) {
    backend.clock.Advance(10);
    midi.SequencerPass();
  }
  EXPECT_EQ(soundingNotes(), 0) << "at " << backend.clock.Milliseconds() - startMs << " ms of " << jumpMs << ", " << backend.midi.Records().size() << " records";
  const size_t beforeJump = backend.midi.Records().size();
  for (int pass = 0; pass < 200; ++pass) {
    backend.clock.Advance(10);
    midi.SequencerPass();
  }
  EXPECT_GT(backend.midi.Records().size(), beforeJump + 20);
  midi.Stop();
}

}  // namespace
}  // namespace assets_test
