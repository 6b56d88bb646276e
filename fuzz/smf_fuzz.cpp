// The Standard MIDI File loader on arbitrary bytes, and a few sequencer
// passes over whatever song it accepts (any tempo, any times, any markers).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/headless/backend.h"
#include "vantor/midi/midi.h"
#include "vantor/system/exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/smf_fuzz_" + std::to_string(getpid()) + ".mid";
  static platform::headless::Backend backend;
  static VantorMidiSystem::TVantorMidi midi(nullptr);
  static bool initialized = false;
  if (!initialized) {
    backend.midi.Use(platform::headless::HeadlessMidi::Sink::Null);
    midi.Init();
    initialized = true;
  }

  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  try {
    midi.CreateData("x", path);
    midi.Play("x", size % 2 == 0);
    for (uint32_t elapsed : {10u, 10u, 250u, 10u, 5000u, 10u}) midi.SmfPlay(elapsed);
    midi.Stop();
  } catch (const Exception&) {
  }
  midi.DeleteData("x");
  return 0;
}
