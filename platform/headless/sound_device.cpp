#include "platform/headless/sound_device.h"

#include <algorithm>

namespace platform::headless {

class HeadlessSoundDevice final : public sdl::MixerDevice {
 public:
  explicit HeadlessSoundDevice(HeadlessSoundSystem& system) : MixerDevice(system, &system.faults), system_(system) {}

  bool Initialize() override {
    if (initialized_ || system_.faults.Fails(sdl::SoundOperation::kInitialize)) return false;
    initialized_ = true;
    system_.current_ = mixer_;
    return true;
  }

 protected:
  bool ApplyFormat(const WaveFormat&) override { return true; }

 private:
  HeadlessSoundSystem& system_;
};

std::unique_ptr<SoundDevice> HeadlessSoundSystem::CreateDevice() {
  if (faults.Fails(sdl::SoundOperation::kCreateDevice)) return nullptr;
  return std::make_unique<HeadlessSoundDevice>(*this);
}

void HeadlessSoundSystem::Advance(uint32_t frames) {
  std::shared_ptr<sdl::Mixer> mixer = current_.lock();
  if (!mixer) return;
  size_t start = captured_.size();
  captured_.resize(start + size_t{frames} * mixer->Format().blockAlign);
  mixer->Render(mixer->Format(), captured_.data() + start, frames);
}

void HeadlessSoundSystem::RenderMix(int16_t* out, uint32_t frames) {
  std::shared_ptr<sdl::Mixer> mixer = current_.lock();
  if (mixer)
    mixer->Render(sdl::kMixFormat, reinterpret_cast<uint8_t*>(out), frames);
  else
    std::fill(out, out + size_t{frames} * sdl::kMixFormat.channels, int16_t{0});
}

WaveFormat HeadlessSoundSystem::OutputFormat() {
  std::shared_ptr<sdl::Mixer> mixer = current_.lock();
  return mixer ? mixer->Format() : WaveFormat{};
}

}  // namespace platform::headless
