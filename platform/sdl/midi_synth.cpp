#include "platform/sdl/midi_synth.h"

#include <fluidsynth.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <iterator>

namespace platform::sdl {
namespace {

// FluidSynth reads GS data sets only when they are addressed to its device id.
constexpr int kGsDeviceId = 0x10;
// FluidSynth's default gain (0.2) leaves a whole song far below the sound
// effects it is mixed with. At unity the songs, whose channel volumes set
// each one's level, play at about -20 LUFS with TimGM6mb.
constexpr double kGain = 1.0;
// Samples are read when a program first asks for them, not all at start:
// reading the whole of TimGM6mb (6 MB) takes about 90 ms, FluidR3_GM (141 MB)
// would take seconds, while one program's samples take well under a
// millisecond. It also keeps FluidSynth from starting a pool of loader threads.
constexpr int kDynamicSampleLoading = 1;

struct ReverbPreset {
  double roomSize, damping, width, level;
};
struct ChorusPreset {
  int voices;
  double level, speed, depthMs;
  int waveform;
};

constexpr int kSine = FLUID_CHORUS_MOD_SINE;
constexpr int kTriangle = FLUID_CHORUS_MOD_TRIANGLE;

// Reverb settings that come close to the GS reverb macros, by macro number.
constexpr ReverbPreset kReverbMacros[] = {
    {0.30, 0.55, 0.60, 0.45},  // Room 1
    {0.45, 0.45, 0.70, 0.50},  // Room 2
    {0.55, 0.40, 0.80, 0.55},  // Room 3
    {0.75, 0.30, 1.00, 0.60},  // Hall 1
    {0.85, 0.25, 1.00, 0.65},  // Hall 2
    {0.65, 0.05, 1.00, 0.60},  // Plate: bright, dense
    {0.25, 0.80, 0.40, 0.55},  // Delay
    {0.25, 0.80, 1.00, 0.55},  // Panning Delay
};
// Chorus settings close to the GS chorus macros.
constexpr ChorusPreset kChorusMacros[] = {
    {3, 1.2, 0.30, 6.0, kSine},       // Chorus 1
    {3, 1.5, 0.45, 7.0, kSine},       // Chorus 2
    {3, 1.8, 0.40, 8.0, kSine},       // Chorus 3
    {4, 2.0, 0.60, 10.0, kSine},      // Chorus 4
    {6, 2.5, 0.40, 12.0, kSine},      // Feedback Chorus
    {8, 3.0, 0.20, 3.0, kTriangle},   // Flanger
    {1, 2.0, 0.10, 25.0, kSine},      // Short Delay
    {2, 2.5, 0.10, 25.0, kTriangle},  // Short Delay (FB)
};
// FluidSynth has no delay effect: the delay macros become slow, deep chorus
// settings, the nearest it can do to a short echo.
constexpr ChorusPreset kDelayMacros[] = {
    {1, 2.0, 0.10, 40.0, kSine},      // Delay 1
    {1, 2.2, 0.10, 60.0, kSine},      // Delay 2
    {1, 2.4, 0.10, 80.0, kSine},      // Delay 3
    {2, 2.4, 0.10, 100.0, kSine},     // Delay 4
    {2, 2.0, 0.30, 40.0, kTriangle},  // Pan Delay 1
    {2, 2.2, 0.30, 60.0, kTriangle},  // Pan Delay 2
    {2, 2.4, 0.30, 80.0, kTriangle},  // Pan Delay 3
    {3, 2.4, 0.30, 100.0, kTriangle}, // Pan Delay 4
    {2, 2.6, 0.10, 70.0, kSine},      // Delay to Reverb
    {3, 2.6, 0.50, 90.0, kTriangle},  // Pan Repeat
};
// The GS power-on effects: reverb Hall 2, chorus Chorus 3.
constexpr int kDefaultReverbMacro = 4;
constexpr int kDefaultChorusMacro = 2;

// The GS effect macro addresses (40 01 xx).
constexpr uint8_t kReverbMacroAddress = 0x30;
constexpr uint8_t kChorusMacroAddress = 0x38;
constexpr uint8_t kDelayMacroAddress = 0x50;

const char* const kSoundFontCandidates[] = {
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/soundfonts/FluidR3_GM.sf2",
    kTimGm6mb,
};
const char* const kDefaultSoundFonts[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/soundfonts/default.sf2",
};

bool Readable(const char* path) { return access(path, R_OK) == 0; }

bool IsGmSystemOn(const uint8_t* b, size_t n) {
  return n == 6 && b[1] == 0x7E && b[3] == 0x09 && b[4] == 0x01;
}
bool IsGsDataSet(const uint8_t* b, size_t n) {
  return n == 11 && b[1] == 0x41 && b[3] == 0x42 && b[4] == 0x12;
}
bool IsGsReset(const uint8_t* b, size_t n) {
  return IsGsDataSet(b, n) && b[5] == 0x40 && b[6] == 0x00 && b[7] == 0x7F;
}

}  // namespace

struct FluidSynthesizer::Engine {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  ~Engine() {
    if (synth) delete_fluid_synth(synth);
    if (settings) delete_fluid_settings(settings);
  }
  void SetReverb(const ReverbPreset& p) {
    fluid_synth_set_reverb_group_roomsize(synth, -1, p.roomSize);
    fluid_synth_set_reverb_group_damp(synth, -1, p.damping);
    fluid_synth_set_reverb_group_width(synth, -1, p.width);
    fluid_synth_set_reverb_group_level(synth, -1, p.level);
  }
  void SetChorus(const ChorusPreset& p) {
    fluid_synth_set_chorus_group_nr(synth, -1, p.voices);
    fluid_synth_set_chorus_group_level(synth, -1, p.level);
    fluid_synth_set_chorus_group_speed(synth, -1, p.speed);
    fluid_synth_set_chorus_group_depth(synth, -1, p.depthMs);
    fluid_synth_set_chorus_group_type(synth, -1, p.waveform);
  }
  // True when the data set was an effect macro this engine knows.
  bool SetMacro(uint8_t address, uint8_t value) {
    if (address == kReverbMacroAddress && value < std::size(kReverbMacros)) {
      SetReverb(kReverbMacros[value]);
    } else if (address == kChorusMacroAddress && value < std::size(kChorusMacros)) {
      SetChorus(kChorusMacros[value]);
    } else if (address == kDelayMacroAddress && value < std::size(kDelayMacros)) {
      SetChorus(kDelayMacros[value]);
    } else {
      return false;
    }
    return true;
  }
};

std::string FindSoundFont() {
  for (const char* path : kSoundFontCandidates)
    if (Readable(path)) return path;
  // The default FluidSynth was built with, then the usual alternatives link.
  if (fluid_settings_t* settings = new_fluid_settings()) {
    char* configured = nullptr;
    std::string found;
    if (fluid_settings_dupstr(settings, "synth.default-soundfont", &configured) == FLUID_OK &&
        configured && Readable(configured))
      found = configured;
    fluid_free(configured);
    delete_fluid_settings(settings);
    if (!found.empty()) return found;
  }
  for (const char* path : kDefaultSoundFonts)
    if (Readable(path)) return path;
  return {};
}

std::unique_ptr<FluidSynthesizer> FluidSynthesizer::Create(const std::string& soundFontPath) {
  if (soundFontPath.empty()) return nullptr;
  auto engine = std::make_unique<Engine>();
  engine->settings = new_fluid_settings();
  if (!engine->settings) return nullptr;
  fluid_settings_setnum(engine->settings, "synth.sample-rate", kSampleRate);
  fluid_settings_setint(engine->settings, "synth.device-id", kGsDeviceId);
  fluid_settings_setnum(engine->settings, "synth.gain", kGain);
  fluid_settings_setint(engine->settings, "synth.reverb.active", 1);
  fluid_settings_setint(engine->settings, "synth.chorus.active", 1);
  fluid_settings_setint(engine->settings, "synth.threadsafe-api", 1);
  fluid_settings_setint(engine->settings, "synth.dynamic-sample-loading", kDynamicSampleLoading);
  engine->synth = new_fluid_synth(engine->settings);
  if (!engine->synth) return nullptr;
  if (fluid_synth_sfload(engine->synth, soundFontPath.c_str(), 1) == FLUID_FAILED) return nullptr;
  std::unique_ptr<FluidSynthesizer> synthesizer(new FluidSynthesizer(std::move(engine)));
  synthesizer->PowerOn();
  return synthesizer;
}

FluidSynthesizer::FluidSynthesizer(std::unique_ptr<Engine> engine) : engine_(std::move(engine)) {}

FluidSynthesizer::~FluidSynthesizer() = default;

void FluidSynthesizer::PowerOn() {
  fluid_synth_system_reset(engine_->synth);
  engine_->SetMacro(kReverbMacroAddress, kDefaultReverbMacro);
  engine_->SetMacro(kChorusMacroAddress, kDefaultChorusMacro);
}

void FluidSynthesizer::SetVolume(int percent) {
  fluid_synth_set_gain(engine_->synth, static_cast<float>(kGain * percent / 100));
}

void FluidSynthesizer::NotesOff() { fluid_synth_all_notes_off(engine_->synth, -1); }

void FluidSynthesizer::ShortMessage(uint32_t word) {
  fluid_synth_t* s = engine_->synth;
  const int channel = word & 0x0F;
  const int data1 = (word >> 8) & 0x7F;
  const int data2 = (word >> 16) & 0x7F;
  switch (word & 0xF0) {
    case 0x80: fluid_synth_noteoff(s, channel, data1); break;
    case 0x90: fluid_synth_noteon(s, channel, data1, data2); break;
    case 0xA0: fluid_synth_key_pressure(s, channel, data1, data2); break;
    case 0xB0: fluid_synth_cc(s, channel, data1, data2); break;
    case 0xC0: fluid_synth_program_change(s, channel, data1); break;
    case 0xD0: fluid_synth_channel_pressure(s, channel, data1); break;
    case 0xE0: fluid_synth_pitch_bend(s, channel, data1 | data2 << 7); break;
    default: break;  // system messages mean nothing to the synthesizer
  }
}

void FluidSynthesizer::LongMessage(const uint8_t* bytes, size_t length) {
  // Only complete F0 ... F7 messages; an F7 escape carries no message of its own.
  if (length < 2 || bytes[0] != 0xF0 || bytes[length - 1] != 0xF7) return;
  if (IsGmSystemOn(bytes, length) || IsGsReset(bytes, length)) {
    PowerOn();
    return;
  }
  if (IsGsDataSet(bytes, length) && bytes[5] == 0x40 && bytes[6] == 0x01 &&
      engine_->SetMacro(bytes[7], bytes[8]))
    return;
  // FluidSynth takes the message without its F0 and F7.
  fluid_synth_sysex(engine_->synth, reinterpret_cast<const char*>(bytes + 1),
                    static_cast<int>(length - 2), nullptr, nullptr, nullptr, 0);
}

void FluidSynthesizer::Render(float* stereo, int frames) {
  fluid_synth_write_float(engine_->synth, frames, stereo, 0, 2, stereo, 1, 2);
}

}  // namespace platform::sdl
