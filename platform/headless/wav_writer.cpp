#include "platform/headless/wav_writer.h"

#include <cerrno>
#include <cstring>
#include <vector>

namespace platform::headless {
namespace {

constexpr uint32_t kHeaderBytes = 44;
// The RIFF size field counts everything after itself.
constexpr uint32_t kMaxDataBytes = UINT32_MAX - (kHeaderBytes - 8);

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
void PutText(std::vector<uint8_t>& b, const char* text) { b.insert(b.end(), text, text + 4); }

}  // namespace

WavWriter::~WavWriter() {
  if (file_) std::fclose(file_);
}

bool WavWriter::Fail(const std::string& reason) {
  if (error_.empty()) error_ = reason;
  return false;
}

bool WavWriter::WriteHeader() {
  const uint32_t blockAlign = channels_ * 2u;
  std::vector<uint8_t> h;
  PutText(h, "RIFF");
  Put32(h, kHeaderBytes - 8 + dataBytes_);
  PutText(h, "WAVE");
  PutText(h, "fmt ");
  Put32(h, 16);
  Put16(h, 1);  // PCM
  Put16(h, channels_);
  Put32(h, rate_);
  Put32(h, rate_ * blockAlign);
  Put16(h, blockAlign);
  Put16(h, 16);
  PutText(h, "data");
  Put32(h, dataBytes_);
  return std::fseek(file_, 0, SEEK_SET) == 0 && std::fwrite(h.data(), 1, h.size(), file_) == h.size();
}

bool WavWriter::Open(const std::string& path, uint16_t channels, uint32_t rate) {
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) return Fail(std::strerror(errno));
  channels_ = channels;
  rate_ = rate;
  return WriteHeader() || Fail(std::strerror(errno));
}

bool WavWriter::Write(const int16_t* samples, uint32_t frames) {
  if (!file_ || !error_.empty()) return false;
  const uint64_t bytes = uint64_t{frames} * channels_ * 2;
  if (dataBytes_ + bytes > kMaxDataBytes) return Fail("the recording passes the 4 GB a WAV file can hold");
  std::vector<uint8_t> out;
  out.reserve(bytes);
  for (uint64_t i = 0; i < uint64_t{frames} * channels_; ++i) Put16(out, static_cast<uint16_t>(samples[i]));
  if (std::fwrite(out.data(), 1, out.size(), file_) != out.size()) return Fail(std::strerror(errno));
  dataBytes_ += static_cast<uint32_t>(bytes);
  return true;
}

bool WavWriter::Finish() {
  if (!file_) return Fail("not open");
  bool ok = WriteHeader() || Fail(std::strerror(errno));
  if (std::fclose(file_) != 0) ok = Fail(std::strerror(errno));
  file_ = nullptr;
  return ok && error_.empty();
}

}  // namespace platform::headless
