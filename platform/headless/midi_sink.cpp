#include "platform/headless/midi_sink.h"

namespace platform::headless {

class HeadlessMidiOut final : public MidiOut {
 public:
  HeadlessMidiOut(HeadlessMidi& owner, bool recording, std::unique_ptr<MidiOut> synth)
      : owner_(owner), recording_(recording), synth_(std::move(synth)) {}
  ~HeadlessMidiOut() override {
    owner_.Closed();
    Record(MidiRecord::Kind::Close, nullptr, 0);
  }

  void Reset() override {
    if (synth_) synth_->Reset();
    Record(MidiRecord::Kind::Reset, nullptr, 0);
  }
  MidiResult ShortMessage(uint32_t word) override {
    if (synth_) return synth_->ShortMessage(word);
    const uint8_t bytes[] = {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8),
                             static_cast<uint8_t>(word >> 16)};
    Record(MidiRecord::Kind::Short, bytes, sizeof bytes);
    return MidiResult::Ok;
  }
  MidiResult LongMessage(const uint8_t* bytes, size_t length) override {
    if (synth_) return synth_->LongMessage(bytes, length);
    return recording_ ? owner_.LongMessage(bytes, length) : MidiResult::Ok;
  }
  bool Ready() override { return (!synth_ || synth_->Ready()) && !owner_.Starting(); }
  void WaitUntilReady() override {
    if (synth_) synth_->WaitUntilReady();
    owner_.WaitUntilStarted();
  }

 private:
  void Record(MidiRecord::Kind kind, const uint8_t* bytes, size_t length) {
    if (recording_) owner_.Record(kind, bytes, length);
  }

  HeadlessMidi& owner_;
  bool recording_;
  std::unique_ptr<MidiOut> synth_;
};

HeadlessMidi::HeadlessMidi(Clock& clock, SoundSystem& sound, SynthesizerOpener openSynthesizer)
    : clock_(clock), sound_(sound), openSynthesizer_(openSynthesizer) {}

HeadlessMidi::~HeadlessMidi() = default;

std::unique_ptr<MidiOut> HeadlessMidi::Open() {
  Sink sink;
  std::string soundFont;
  {
    std::lock_guard lock(mutex_);
    sink = sink_;
    soundFont = soundFont_;
  }
  if (sink == Sink::Unavailable) return nullptr;
  std::unique_ptr<MidiOut> synth;
  if (sink == Sink::Synthesizer) {
    if (openSynthesizer_) synth = openSynthesizer_(soundFont, sound_);
    if (!synth) return nullptr;
  }
  const bool recording = sink == Sink::Recording;
  auto out = std::make_unique<HeadlessMidiOut>(*this, recording, std::move(synth));
  {
    std::lock_guard lock(mutex_);
    open_ = true;
  }
  if (recording) Record(MidiRecord::Kind::Open, nullptr, 0);
  return out;
}

void HeadlessMidi::Closed() {
  std::lock_guard lock(mutex_);
  open_ = false;
}

void HeadlessMidi::Use(Sink sink, std::string soundFont) {
  std::lock_guard lock(mutex_);
  sink_ = sink;
  soundFont_ = std::move(soundFont);
}

void HeadlessMidi::HoldStarting(bool held) {
  {
    std::lock_guard lock(mutex_);
    held_ = held;
  }
  started_.notify_all();
}

bool HeadlessMidi::Starting() const {
  std::lock_guard lock(mutex_);
  return held_;
}

void HeadlessMidi::WaitUntilStarted() {
  std::unique_lock lock(mutex_);
  started_.wait(lock, [this] { return !held_; });
}

void HeadlessMidi::RefuseLongMessages(int attempts) {
  std::lock_guard lock(mutex_);
  refusals_ = attempts;
}

MidiResult HeadlessMidi::LongMessage(const uint8_t* bytes, size_t length) {
  {
    std::lock_guard lock(mutex_);
    if (refusals_ > 0) {
      --refusals_;
      return MidiResult::NotReady;
    }
  }
  Record(MidiRecord::Kind::Long, bytes, length);
  return MidiResult::Ok;
}

void HeadlessMidi::Record(MidiRecord::Kind kind, const uint8_t* bytes, size_t length) {
  MidiRecord record{kind, clock_.Milliseconds(), {}};
  if (length) record.bytes.assign(bytes, bytes + length);
  std::lock_guard lock(mutex_);
  records_.push_back(std::move(record));
}

std::vector<MidiRecord> HeadlessMidi::Records() const {
  std::lock_guard lock(mutex_);
  return records_;
}

void HeadlessMidi::ClearRecords() {
  std::lock_guard lock(mutex_);
  records_.clear();
}

bool HeadlessMidi::IsOpen() const {
  std::lock_guard lock(mutex_);
  return open_;
}

}  // namespace platform::headless
