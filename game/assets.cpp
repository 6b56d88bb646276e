#include <iterator>
#include <utility>

#include "game/form.h"
#include "platform/startup.h"
#include "vantor/draw/draw.h"
#include "vantor/input/input.h"
#include "vantor/midi/midi.h"
#include "vantor/sound/sound.h"

namespace game {
namespace {

struct NamedFile {
  const char* name;
  const char* file;
};

// The named pictures, in loading order.
constexpr NamedFile kPictures[] = {
    {"title", "bmp\\title.bmp"},   {"stage1", "bmp\\stage1.bmp"}, {"stage2", "bmp\\stage2.bmp"},
    {"mscplt", "bmp\\mscplt.bmp"}, {"gover", "bmp\\gover.bmp"},   {"warning", "bmp\\warn.bmp"},
    {"warn2", "bmp\\warn2.bmp"},   {"g_1up", "bmp\\g_1up.bmp"},   {"g_pup", "bmp\\g_pup.bmp"},
    {"g_3000", "bmp\\g_3000.bmp"}, {"g_1000", "bmp\\g_1000.bmp"}, {"b00", "bmp\\b00.bmp"},
    {"b01", "bmp\\b01.bmp"},       {"b02", "bmp\\b02.bmp"},       {"b03", "bmp\\b03.bmp"},
    {"b04", "bmp\\b04.bmp"},       {"b05", "bmp\\b05.bmp"},       {"b06", "bmp\\b06.bmp"},
    {"left", "bmp\\left.bmp"},
};

constexpr NamedFile kSongs[] = {
    {"01", "sound\\bgm0.mid"}, {"02", "sound\\bgm1.mid"}, {"03", "sound\\bgm2.mid"},
    {"04", "sound\\bgm3.mid"}, {"05", "sound\\bgm4.mid"}, {"06", "sound\\bgm5.mid"},
};

constexpr NamedFile kEffects[] = {
    {"01", "sound\\sou01.wav"}, {"02", "sound\\sou02.wav"}, {"03", "sound\\sou03.wav"},
    {"04", "sound\\sou04.wav"}, {"05", "sound\\sou05.wav"}, {"06", "sound\\sou06.wav"},
    {"07", "sound\\sou07.wav"}, {"08", "sound\\sou08.wav"}, {"09", "sound\\sou09.wav"},
    {"10", "sound\\sou10.wav"},
};

// Songs 1-4 loop; 5 (game over) and 6 (ending) play once.
constexpr int kLastLoopingSong = 4;

}  // namespace

void TForm1::StartComponents() {
  platform::TimeStage("audio device", [&] { csou->Init(nullptr); });
  // The synthesizer loads its SoundFont alongside what follows.
  platform::TimeStage("MIDI", [&] { cmid->Init(); });
  platform::TimeStage("input", [&] { chip->Init(nullptr); });
}

void TForm1::LoadAssets() {
  platform::TimeStage("pictures", [&] {
    for (const NamedFile& p : kPictures) cdraw->CreateSurface(p.name, p.file, 0, 0);
    for (const AnsiString& name : SpriteNames) cdraw->CreateSurface(name, "bmp\\" + name + ".bmp", 0, 0);
  });
  platform::TimeStage("effects", [&] {
    for (const NamedFile& e : kEffects) {
      csou->CreateBuffer(e.name, e.file, false);
      csou->SetVolume(e.name, 0);
    }
  });
}

void TForm1::LoadSongs() {
  if (songsLoaded_) return;
  // Tried once: a song that fails to load is reported once.
  songsLoaded_ = true;
  platform::TimeStage("songs", [&] {
    for (const NamedFile& s : kSongs) cmid->CreateData(s.name, s.file);
  });
  musicAt_ = platform::MillisecondsSinceStart();
  ReportStartUp();
}

void TForm1::ServeRequests(bool withEffects) {
  // A request is taken before it is served: one whose song or effect fails
  // to start is reported once, not again in every following frame. The
  // last song requested waits for a synthesizer still loading its SoundFont.
  if (GameState.musicRequest > 0) pendingMusic_ = GameState.musicRequest;
  GameState.musicRequest = 0;
  if (pendingMusic_ > 0 && cmid->GetReady()) {
    const int music = std::exchange(pendingMusic_, 0);
    LoadSongs();
    cmid->Stop();
    if (music <= static_cast<int>(std::size(kSongs))) {
      cmid->Play(kSongs[music - 1].name, music <= kLastLoopingSong);
      songStarted = music;
      currentSong = music;
    }
  }
  const int sound = GameState.soundRequest;
  if (sound > 0) GameState.soundRequest = 0;
  if (withEffects && sound >= 1 && sound <= static_cast<int>(std::size(kEffects))) {
    csou->Play(kEffects[sound - 1].name, false);
    effectStarted = sound;
  }
}

const char* SongName(int request) {
  return request >= 1 && request <= static_cast<int>(std::size(kSongs)) ? kSongs[request - 1].name : nullptr;
}

const char* EffectName(int request) {
  return request >= 1 && request <= static_cast<int>(std::size(kEffects)) ? kEffects[request - 1].name : nullptr;
}

}  // namespace game
