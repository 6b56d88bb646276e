// The WAV loader on arbitrary bytes: the chunk walk and both kinds of buffer.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/headless/backend.h"
#include "vantor/sound/sound.h"
#include "vantor/sound/wave_source.h"
#include "vantor/system/exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/wave_fuzz_" + std::to_string(getpid()) + ".wav";
  static platform::headless::Backend backend;
  static VantorSoundSystem::TVantorSound sound(nullptr);
  if (!sound.Initialized()) sound.Init(nullptr);

  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  auto source = VantorSoundSystem::WaveSource::Open(path);
  VantorSoundSystem::WaveLayout layout;
  if (source && VantorSoundSystem::ReadWaveLayout(*source, layout) == VantorSoundSystem::WaveError::None &&
      uint64_t{layout.dataOffset} + layout.dataSize > size)
    __builtin_trap();

  for (bool streaming : {false, true}) {
    try {
      sound.CreateBuffer("x", path, streaming);
      sound.Play("x", false);
      backend.sound.Advance(64);
    } catch (const Exception&) {
    }
    sound.DeleteBuffer("x");
  }
  backend.sound.ClearCaptured();
  return 0;
}
