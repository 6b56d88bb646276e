#pragma once
// Shared pieces of the sound tests: WAV files built byte by byte in a scratch
// folder mapped as "sound", a headless backend, and the component under test.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/headless/backend.h"
#include "vantor/sound/sound.h"
#include "vantor/system/exceptions.h"

namespace sound_test {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// A "fmt " body: `bytes` long (16, 18 or more; the rest is zero).
inline Bytes FormatBody(uint16_t channels, uint32_t rate, uint16_t bits, size_t bytes = 16) {
  Bytes b;
  uint16_t align = static_cast<uint16_t>(channels * bits / 8);
  Put16(b, 1);
  Put16(b, channels);
  Put32(b, rate);
  Put32(b, rate * align);
  Put16(b, align);
  Put16(b, bits);
  b.resize(bytes, 0);
  return b;
}

inline Bytes Pcm16(const std::vector<int16_t>& samples) {
  Bytes b;
  for (int16_t s : samples) Put16(b, static_cast<uint16_t>(s));
  return b;
}

struct Chunk {
  std::string id;
  Bytes body;
  uint32_t claimedSize = UINT32_MAX;  // the size field, when it lies
  bool padded = true;                 // an odd body is followed by the pad byte
};

// A RIFF file of the chunks; odd chunks get their pad byte unless told not to.
inline Bytes Riff(const std::vector<Chunk>& chunks, const std::string& form = "WAVE") {
  Bytes b = {'R', 'I', 'F', 'F', 0, 0, 0, 0};
  b.insert(b.end(), form.begin(), form.end());
  for (const Chunk& c : chunks) {
    b.insert(b.end(), c.id.begin(), c.id.end());
    Put32(b, c.claimedSize != UINT32_MAX ? c.claimedSize : static_cast<uint32_t>(c.body.size()));
    b.insert(b.end(), c.body.begin(), c.body.end());
    if ((c.body.size() & 1) && c.padded) b.push_back(0);
  }
  uint32_t riffSize = static_cast<uint32_t>(b.size() - 8);
  for (int i = 0; i < 4; ++i) b[4 + i] = static_cast<uint8_t>(riffSize >> (8 * i));
  return b;
}

inline Bytes Wave(uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& data) {
  return Riff({{"fmt ", FormatBody(channels, rate, bits)}, {"data", data}});
}

// The message of a library exception: prefix, empty line, detail, name.
inline std::string LibraryText(const char* utf8Prefix, const char* utf8Detail, const std::string& name = "") {
  return platform::Utf8ToCp932(std::string(utf8Prefix) + "\n\n" + utf8Detail) + name;
}
inline std::string SoundText(const char* utf8Detail, const std::string& name = "") {
  return LibraryText("TVantorSound エラー", utf8Detail, name);
}
inline std::string BufferText(const char* utf8Detail, const std::string& name = "") {
  return LibraryText("TVantorSoundBuffer エラー", utf8Detail, name);
}

// Repeats `check` until it holds or five seconds have passed.
inline bool Eventually(const std::function<bool()>& check) {
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!check()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

class SoundTest : public ::testing::Test {
 protected:
  SoundTest() {
    // A parameterised test's name ("Loops/0") is no file name.
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-');
    dir_ = std::filesystem::temp_directory_path() / ("solvara-sound-" + std::to_string(getpid()) + "-" + name);
    std::filesystem::create_directories(dir_);
    platform::MapFolder("sound", dir_.string());
  }
  ~SoundTest() override {
    sound.reset();
    platform::ClearFolderMaps();
    std::filesystem::remove_all(dir_);
  }

  // Writes the file and returns its name as the system spells it.
  std::string Write(const std::string& name, const Bytes& bytes) {
    std::ofstream(dir_ / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                       static_cast<std::streamsize>(bytes.size()));
    return "sound\\" + name;
  }
  std::filesystem::path HostPath(const std::string& name) const { return dir_ / name; }

  // Initialises the component with an output of the given format.
  void InitOutput(int rate, VantorSoundSystem::TSoundBits bits, bool stereo) {
    sound->SetSamplingRatio(rate);
    sound->SetBits(bits);
    sound->SetStereo(stereo);
    sound->Init(nullptr);
  }

  // The captured output as 16-bit samples (the output must be 16 bit).
  std::vector<int16_t> Captured16() const {
    const Bytes& c = backend.sound.Captured();
    std::vector<int16_t> out(c.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<int16_t>(c[2 * i] | c[2 * i + 1] << 8);
    return out;
  }

  std::filesystem::path dir_;
  platform::headless::Backend backend;
  std::unique_ptr<VantorSoundSystem::TVantorSound> sound = std::make_unique<VantorSoundSystem::TVantorSound>(nullptr);
};

// Expects `call` to throw `E` with exactly `message`.
template <class E, class F>
void ExpectThrowText(F&& call, const std::string& message) {
  try {
    call();
    ADD_FAILURE() << "no exception";
  } catch (const E& e) {
    EXPECT_EQ(platform::Cp932ToUtf8(e.Message()), platform::Cp932ToUtf8(message));
  }
}

}  // namespace sound_test
