// A small program on the installed Vantor library: a window that draws a picture
// turning round, plays a song, plays an effect whenever button 1 (Z) is pressed,
// moves the picture with the cursor keys, and ends on Escape.
//
//   vantor-example PICTURE.bmp EFFECT.wav SONG.mid [FRAMES]
//
// FRAMES, when given, ends it after that many frames (for a run without a player).
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>

#include "platform/app.h"
#include "platform/clock.h"
#include "platform/encoding.h"
#include "platform/platform.h"
#include "platform/sdl/backend.h"
#include "vantor/draw/draw.h"
#include "vantor/input/input.h"
#include "vantor/midi/midi.h"
#include "vantor/sound/sound.h"

namespace {

constexpr uint32_t kFrameMilliseconds = 33;

// The components need an owner with a window, as a form would be.
class ExampleForm : public TComponent {
 public:
  ExampleForm(const char* picture, const char* effect, const char* song, long frames)
      : TComponent(nullptr), frames_(frames) {
    platform::Application& app = *platform::Current().app;
    window_ = &app.CreateMainWindow("Vantor example", 640, 480);
    draw_ = std::make_unique<VantorDrawSystem::TVantorDraw>(this);
    sound_ = std::make_unique<VantorSoundSystem::TVantorSound>(this);
    midi_ = std::make_unique<VantorMidiSystem::TVantorMidi>(this);
    input_ = std::make_unique<VantorInputSystem::TVantorInput>(this);

    draw_->Init();
    sound_->Init();
    midi_->Init();
    input_->Init();
    draw_->CreateSurface("sprite", picture, 0, 0);
    sound_->CreateBuffer("effect", effect, false);
    midi_->CreateData("song", song);
    midi_->Play("song", true);

    app.OnKeyDown([&app](const platform::KeyEvent& key) {
      if (key.virtualKey == platform::kVirtualKeyEscape) app.Terminate();
    });
    frameTime_ = platform::Current().clock->Milliseconds() - kFrameMilliseconds;
    app.OnIdle([this] { return Frame(); });
  }

  ~ExampleForm() override {
    platform::Application& app = *platform::Current().app;
    app.OnIdle(nullptr);
    app.OnKeyDown(nullptr);
  }

  platform::Window* WindowHandle() const override { return window_; }

 private:
  bool Frame() {
    platform::Clock& clock = *platform::Current().clock;
    clock.WaitUntil(frameTime_ + kFrameMilliseconds);
    frameTime_ = clock.Milliseconds();

    VantorInputSystem::TVantorInputState state;
    input_->GetState(state);
    x_ += 4 * ((state.Right ? 1 : 0) - (state.Left ? 1 : 0));
    y_ += 4 * ((state.Down ? 1 : 0) - (state.Up ? 1 : 0));
    if (state.Button1 == VantorInputSystem::kPressedNow) sound_->Play("effect", false);

    angle_ += 1024;  // 1/64 of a turn a frame
    draw_->Clear();
    draw_->RotZoomDraw(x_, y_, angle_ & 0xFFFF, 512, "sprite", 0);
    draw_->Update();

    if (frames_ > 0 && ++frame_ >= frames_) platform::Current().app->Terminate();
    return false;
  }

  platform::Window* window_ = nullptr;
  std::unique_ptr<VantorDrawSystem::TVantorDraw> draw_;
  std::unique_ptr<VantorSoundSystem::TVantorSound> sound_;
  std::unique_ptr<VantorMidiSystem::TVantorMidi> midi_;
  std::unique_ptr<VantorInputSystem::TVantorInput> input_;
  uint32_t frameTime_ = 0;
  long frames_;
  long frame_ = 0;
  int x_ = 320, y_ = 240, angle_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: vantor-example PICTURE.bmp EFFECT.wav SONG.mid [FRAMES]\n");
    return 2;
  }
  const long frames = argc == 5 ? std::strtol(argv[4], nullptr, 10) : 0;
  try {
    // A window rather than the full screen the game opens by default.
    auto backend = platform::sdl::Start({}, false);
    ExampleForm form(argv[1], argv[2], argv[3], frames);
    platform::Current().app->Run();
  } catch (const std::exception& e) {
    // The library's failures carry a Japanese text in Shift-JIS.
    std::fprintf(stderr, "vantor-example: %s\n", platform::Cp932ToUtf8(e.what()).c_str());
    return 1;
  }
  return 0;
}
