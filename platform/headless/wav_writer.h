#pragma once
// A 16-bit PCM WAV file written as its samples come (a long run's recording
// never has to fit in memory); the sizes in its header are filled in when it
// is finished.
#include <cstdint>
#include <cstdio>
#include <string>

namespace platform::headless {

class WavWriter {
 public:
  WavWriter() = default;
  ~WavWriter();
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  // Creates the file. False when it cannot be written (Error() says why).
  bool Open(const std::string& path, uint16_t channels, uint32_t rate);
  // Appends interleaved frames. False once a write has failed or the file
  // would pass the 4 GB a WAV file can hold; nothing more is written then.
  bool Write(const int16_t* samples, uint32_t frames);
  // Fills in the header and closes the file; false when anything failed.
  bool Finish();

  const std::string& Error() const { return error_; }

 private:
  bool Fail(const std::string& reason);
  bool WriteHeader();

  std::FILE* file_ = nullptr;
  uint16_t channels_ = 0;
  uint32_t rate_ = 0;
  uint32_t dataBytes_ = 0;
  std::string error_;
};

}  // namespace platform::headless
