#include "platform/headless/bare_backend.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include "platform/platform.h"

namespace platform::headless {
namespace {

// Larger than any picture the game loads, small enough that a wrong header
// cannot ask for gigabytes.
constexpr int32_t kMaxSide = 8192;

int32_t Le32(const uint8_t* p) {
  return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

}  // namespace

bool ReadBmpSize(const std::string& hostPath, Picture& picture) {
  // The file header (14 bytes) and the information header's size, width and
  // height; a height below zero marks rows stored top-down.
  uint8_t header[26];
  const int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  const ssize_t got = read(fd, header, sizeof header);
  close(fd);
  if (got != static_cast<ssize_t>(sizeof header) || header[0] != 'B' || header[1] != 'M') return false;
  const int64_t width = Le32(header + 18);
  const int64_t height = std::llabs(Le32(header + 22));
  if (width <= 0 || width > kMaxSide || height == 0 || height > kMaxSide) return false;
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  picture.rgb.assign(size_t(width) * height * 3, 0);
  return true;
}

BareBackend::BareBackend() {
  midi.Use(HeadlessMidi::Sink::Null);
  // Nothing hears the music: the sequencer passes only when the game starts
  // or stops a song, not every 10 ms of the clock.
  clock.HoldTimers();
  Current() = Services{&app, &clock, &display, &text, &sound, &midi, &input};
}

BareBackend::~BareBackend() { Current() = Services{}; }

}  // namespace platform::headless
