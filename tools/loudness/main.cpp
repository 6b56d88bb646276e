// loudness: measures what the game sounds like (EBU R 128, libebur128).
//
//   loudness FILE.wav...                  integrated loudness, loudness range, true peak,
//                                         sample peak and samples at full scale of each file
//   loudness --song FILE.mid [--soundfont SF2] [--out FILE.wav]
//                                         renders a song offline as the game plays it (intro
//                                         and one pass through its loop) and measures it
//   loudness --assets DIR [--soundfont SF2]
//                                         measures the songs and effects in DIR/sound and
//                                         checks their balance (exit status 1 when it fails)
//
// The SoundFont is TimGM6mb unless another is named, so measurements compare
// across machines; a render saved with --out can be measured again later and
// set beside a render of a changed synthesizer.
#include <cstdio>
#include <string>
#include <vector>

#include "balance.h"
#include "measure.h"
#include "platform/headless/wav_writer.h"
#include "platform/sdl/midi_synth.h"
#include "render.h"
#include "wav_reader.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: loudness FILE.wav...\n"
               "       loudness --song FILE.mid [--soundfont SF2] [--out FILE.wav]\n"
               "       loudness --assets DIR [--soundfont SF2]\n");
  return 2;
}

struct Command {
  std::string song, assets, out, soundFont = platform::sdl::kTimGm6mb;
  std::vector<std::string> files;
};

bool Parse(int argc, char** argv, Command& c) {
  const std::pair<const char*, std::string*> valued[] = {
      {"--song", &c.song}, {"--assets", &c.assets}, {"--out", &c.out}, {"--soundfont", &c.soundFont}};
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    bool known = false;
    for (const auto& [name, value] : valued) {
      if (arg != name) continue;
      if (i + 1 >= argc) return false;
      *value = argv[++i];
      known = true;
    }
    if (!known && arg.starts_with("--")) return false;
    if (!known) c.files.push_back(arg);
  }
  const int modes = !c.song.empty() + !c.assets.empty() + !c.files.empty();
  return modes == 1 && (c.out.empty() || !c.song.empty());
}

int Fail(const std::string& what, const std::string& why) {
  std::fprintf(stderr, "loudness: %s: %s\n", what.c_str(), why.c_str());
  return 2;
}

int MeasureFiles(const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    loudness::Audio audio;
    loudness::Loudness l;
    std::string error;
    if (!loudness::ReadWav(file, audio, error)) return Fail(file, error);
    if (!loudness::Measure(audio, l)) return Fail(file, "nothing to measure");
    if (&file == &files.front()) std::puts(loudness::kColumns);
    std::puts(loudness::Describe(file, l).c_str());
  }
  return 0;
}

int MeasureSong(const Command& c) {
  loudness::Audio audio;
  loudness::Loudness l;
  std::string error;
  if (!loudness::RenderSong(c.song, c.soundFont, audio, error)) return Fail(c.song, error);
  if (!c.out.empty()) {
    platform::headless::WavWriter writer;
    if (!writer.Open(c.out, static_cast<uint16_t>(audio.channels), audio.rate) ||
        !writer.Write(audio.samples.data(), static_cast<uint32_t>(audio.Frames())) || !writer.Finish())
      return Fail(c.out, writer.Error());
  }
  if (!loudness::Measure(audio, l)) return Fail(c.song, "nothing to measure");
  std::puts(loudness::kColumns);
  std::puts(loudness::Describe(c.song, l).c_str());
  return 0;
}

int MeasureAssets(const Command& c) {
  loudness::Balance balance;
  std::string error;
  if (!loudness::MeasureAssets(c.assets + "/sound", c.soundFont, balance, error)) return Fail(c.assets, error);
  std::fputs(loudness::Report(balance).c_str(), stdout);
  return balance.Holds() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Command c;
  if (!Parse(argc, argv, c)) return Usage();
  if (!c.song.empty()) return MeasureSong(c);
  if (!c.assets.empty()) return MeasureAssets(c);
  return MeasureFiles(c.files);
}
