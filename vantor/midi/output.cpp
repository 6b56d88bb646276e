#include <algorithm>
#include <cstring>

#include "vantor/midi/midi.h"
#include "vantor/system/frame.h"

namespace VantorMidiSystem {

using VantorSystem::EVnMidi;
using VantorSystem::RunMethod;

namespace {

// A sink that keeps answering "not ready" gets the long message this often.
constexpr int kLongMessageAttempts = 200;

constexpr uint8_t kVolumeController = 7;

// Controllers whose values the channel report keeps.
struct ReportedController {
  uint8_t controller;
  uint8_t TVantorMidiChannel::*field;
};
constexpr ReportedController kReportedControllers[] = {
    {10, &TVantorMidiChannel::Pan},    {11, &TVantorMidiChannel::Expression},
    {91, &TVantorMidiChannel::Reverb}, {93, &TVantorMidiChannel::Chorus},
    {94, &TVantorMidiChannel::Delay},
};

// The system reset messages, indexed by TMidiReset.
struct ResetMessage {
  uint8_t bytes[11];
  uint32_t length;
};
constexpr ResetMessage kResetMessages[] = {
    {{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}, 6},                                // GM System On
    {{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}, 11},  // GS Reset
};

}  // namespace

void TVantorMidi::ShortMsg(const TShortMessage& message) {
  const uint8_t kind = message.Status & 0xF0;
  {
    std::lock_guard lock(FReportLock);
    TVantorMidiChannel& channel = FChannels[message.Status & 0x0F];
    // During a fade the stored volume is the one the fade scales down.
    if (kind == 0xB0 && message.Data1 == kVolumeController && FFadeTime == 0)
      channel.Volume = message.Data2;
    if (GetReport()) {
      if (kind == 0x90 && channel.Level < message.Data2) channel.Level = message.Data2;
      if (kind == 0xB0)
        for (const ReportedController& reported : kReportedControllers)
          if (reported.controller == message.Data1) channel.*reported.field = message.Data2;
      if (kind == 0xC0) channel.Program = message.Data1;
    }
  }
  if (FMidiOut)
    FMidiOut->ShortMessage(static_cast<uint32_t>(message.Status) |
                           static_cast<uint32_t>(message.Data1) << 8 |
                           static_cast<uint32_t>(message.Data2) << 16);
}

void TVantorMidi::LongMsg(const TLongMessage& message) {
  if (!FMidiOut) return;
  const size_t length = std::min<size_t>(message.Length, message.Data.size());
  for (int attempt = 0; attempt < kLongMessageAttempts; ++attempt)
    if (FMidiOut->LongMessage(message.Data.data(), length) != platform::MidiResult::NotReady) return;
}

void TVantorMidi::QueueImmediate(uint8_t status, uint8_t data1, uint8_t data2) {
  std::lock_guard lock(FQueueLock);
  FUserQueue.push_front({0, status, data1, data2});
}

void TVantorMidi::NoteOn(uint8_t channel, uint8_t note, uint8_t velocity, uint32_t duration) {
  RunMethod("TVantorMidi::NoteOn", [&] {
    std::lock_guard lock(FQueueLock);
    FUserQueue.push_front({0, static_cast<uint8_t>(0x90 | channel), note, velocity});
    if (duration == kEndlessNote) return;
    auto at = std::find_if(FUserQueue.begin(), FUserQueue.end(),
                           [duration](const TShortMessage& m) { return m.Time >= duration; });
    FUserQueue.insert(at, {duration, static_cast<uint8_t>(0x80 | channel), note, 0});
  });
}

void TVantorMidi::NoteOff(uint8_t channel, uint8_t note) {
  RunMethod("TVantorMidi::NoteOff",
            [&] { QueueImmediate(static_cast<uint8_t>(0x80 | channel), note, 0); });
}

void TVantorMidi::ControlChange(uint8_t channel, uint8_t controller, uint8_t value) {
  RunMethod("TVantorMidi::ControlChange",
            [&] { QueueImmediate(static_cast<uint8_t>(0xB0 | channel), controller, value); });
}

void TVantorMidi::ProgramChange(uint8_t channel, uint8_t program) {
  RunMethod("TVantorMidi::ProgramChange",
            [&] { QueueImmediate(static_cast<uint8_t>(0xC0 | channel), program, 0); });
}

void TVantorMidi::ChannelPressure(uint8_t channel, uint8_t value) {
  RunMethod("TVantorMidi::ChannelPressure",
            [&] { QueueImmediate(static_cast<uint8_t>(0xD0 | channel), value, 0); });
}

void TVantorMidi::PitchBend(uint8_t channel, uint8_t value) {
  // The value is the low seven bits of the bend; the high byte stays 0.
  RunMethod("TVantorMidi::PitchBend",
            [&] { QueueImmediate(static_cast<uint8_t>(0xE0 | channel), value, 0); });
}

void TVantorMidi::UserPlay(uint32_t elapsed) {
  std::lock_guard lock(FQueueLock);
  while (!FUserQueue.empty() && FUserQueue.front().Time < elapsed) {
    ShortMsg(FUserQueue.front());
    FUserQueue.pop_front();
  }
  for (TShortMessage& message : FUserQueue) message.Time -= elapsed;
}

void TVantorMidi::GetChannelData(TVantorMidiChannel* channels) {
  RunMethod("TVantorMidi::GetChannelData", [&] {
    if (!GetReport()) throw EVnMidi(VN_TEXT("Reportプロパティは、falseになっています。"));
    std::lock_guard lock(FReportLock);
    std::copy(std::begin(FChannelReport), std::end(FChannelReport), channels);
  });
}

void TVantorMidi::MidiReset(TMidiReset kind) {
  RunMethod("TVantorMidi::MidiReset", [&] {
    RequireInitialized();
    FMidiOut->WaitUntilReady();
    if (kind >= std::size(kResetMessages)) return;
    const ResetMessage& reset = kResetMessages[kind];
    LongMsg(TLongMessage(0, reset.bytes, reset.length));
  });
}

// A Roland data set to the GS device writing `value` to 40 01 `address`;
// the checksum is `checksumBase` - value in 8 bits.
void TVantorMidi::SendGS(uint8_t address, uint8_t value, uint8_t checksumBase) {
  RequireInitialized();
  FMidiOut->WaitUntilReady();
  const uint8_t bytes[] = {0xF0, 0x41, 0x10,  0x42, 0x12, 0x40, 0x01, address,
                           value, static_cast<uint8_t>(checksumBase - value), 0xF7};
  LongMsg(TLongMessage(0, bytes, sizeof bytes));
}

void TVantorMidi::SetGSReverb(TGSReverb reverb) {
  RunMethod("TVantorMidi::SetGSReverb", [&] { SendGS(0x30, reverb, 15); });
}

void TVantorMidi::SetGSChorus(TGSChorus chorus) {
  RunMethod("TVantorMidi::SetGSChorus", [&] { SendGS(0x38, chorus, 7); });
}

void TVantorMidi::SetGSDelay(TGSDelay delay) {
  RunMethod("TVantorMidi::SetGSDelay", [&] { SendGS(0x50, delay, 111); });
}

}  // namespace VantorMidiSystem
