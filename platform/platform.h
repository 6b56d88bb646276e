#pragma once
// The platform services the library and the game run on. One backend (SDL for
// the game, headless for tests and the runner) creates them at program start
// and installs them here; components reach them through Current().
namespace platform {

class Application;
class Clock;
class DisplayDevice;  // platform/display.h
class TextRenderer;   // platform/text.h
class SoundSystem;    // platform/sound.h
class MidiSystem;     // platform/midi.h
class InputSystem;    // platform/input.h

struct Services {
  Application* app = nullptr;
  Clock* clock = nullptr;
  DisplayDevice* display = nullptr;
  TextRenderer* text = nullptr;
  SoundSystem* sound = nullptr;
  MidiSystem* midi = nullptr;
  InputSystem* input = nullptr;
};

// The installed services (all null before a backend is started).
Services& Current();

}  // namespace platform
