#pragma once
// The General MIDI synthesizer behind the MIDI sink: FluidSynth with a GM
// SoundFont, rendering 44100 Hz stereo on demand. Messages and rendering may
// come from different threads.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform::sdl {

// TimGM6mb, the SoundFont every machine with the game has (Debian's
// timgm6mb-soundfont). Recordings and loudness measurements name it, so
// they come out the same whatever else is installed.
inline constexpr const char* kTimGm6mb = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// The SoundFont to load: FluidR3_GM when installed, else TimGM6mb, else the
// system's default GM SoundFont; empty when there is none.
std::string FindSoundFont();

class FluidSynthesizer {
 public:
  static constexpr int kSampleRate = 44100;

  // Null when the SoundFont cannot be loaded.
  static std::unique_ptr<FluidSynthesizer> Create(const std::string& soundFontPath);
  ~FluidSynthesizer();
  FluidSynthesizer(const FluidSynthesizer&) = delete;
  FluidSynthesizer& operator=(const FluidSynthesizer&) = delete;

  // Every note off on every channel.
  void NotesOff();
  // A channel message word (status in bits 0-7, data bytes above).
  void ShortMessage(uint32_t word);
  // A system-exclusive message with its F0 and F7. GM System On and GS Reset
  // return the synthesizer to its power-on state; the GS reverb, chorus and
  // delay macros select effect presets of the synthesizer.
  void LongMessage(const uint8_t* bytes, size_t length);
  // Renders `frames` frames of interleaved stereo samples (full scale -1..1).
  void Render(float* stereo, int frames);
  // The player's music volume, 0 to 100 percent of the synthesizer's gain.
  void SetVolume(int percent);

 private:
  struct Engine;
  explicit FluidSynthesizer(std::unique_ptr<Engine> engine);
  void PowerOn();
  std::unique_ptr<Engine> engine_;
};

}  // namespace platform::sdl
