#include <gtest/gtest.h>

#include "midi_fixture.h"
#include "vantor/system/exceptions.h"

namespace miditest {
namespace {

using namespace VantorMidiSystem;
using VantorSystem::EVnMidi;

class Output : public MidiTest {
 protected:
  void SetUp() override {
    MidiTest::SetUp();
    midi.Init();
  }
  // The time each short message was sent at.
  std::vector<uint32_t> ShortTimes(const Bytes& message) const {
    std::vector<uint32_t> times;
    for (const MidiRecord& r : backend.midi.Records())
      if (r.kind == MidiRecord::Kind::Short && r.bytes == message) times.push_back(r.time);
    return times;
  }
  void PlayEndless() {
    TrackBuilder track;
    track.Event(100000, {0x90, 1, 1}).End();
    Load("endless", {track});
    midi.Play("endless", false);
  }
};

TEST_F(Output, ATimedNoteOffGoesOutOnThePassThatExceedsItsWait) {
  midi.NoteOn(0, 60, 100, 500);
  Passes(60);
  const auto on = ShortTimes({0x90, 0x3C, 0x64});
  const auto off = ShortTimes({0x80, 0x3C, 0x00});
  ASSERT_EQ(on.size(), 1u);
  ASSERT_EQ(off.size(), 1u);
  EXPECT_EQ(on[0], 10u);
  EXPECT_EQ(off[0], 510u);
}

TEST_F(Output, ImmediateMessagesGoNewestFirstAndBeforeDelayedOnes) {
  midi.ProgramChange(1, 5);
  midi.NoteOn(1, 60, 100, 200);
  midi.ControlChange(2, 91, 30);
  Pass(10);
  EXPECT_EQ(Shorts(), (std::vector<Bytes>{{0xB2, 91, 30}, {0x91, 60, 100}, {0xC1, 5, 0}}));

  backend.midi.ClearRecords();
  midi.NoteOn(0, 60, 100, 300);
  midi.NoteOn(0, 64, 100, 300);
  Passes(31);
  // The earlier note-off of channel 1 (190 ms left) comes in between.
  EXPECT_EQ(Shorts(), (std::vector<Bytes>{{0x90, 64, 100}, {0x90, 60, 100}, {0x81, 60, 0},
                                          {0x80, 64, 0}, {0x80, 60, 0}}));
  const auto first = ShortTimes({0x80, 64, 0});
  const auto second = ShortTimes({0x80, 60, 0});
  ASSERT_EQ(first.size(), 1u);
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(first[0], second[0]);
}

TEST_F(Output, AnEndlessNoteHasNoNoteOff) {
  midi.NoteOn(9, 36, 90, kEndlessNote);
  Passes(100);
  EXPECT_EQ(Shorts(), (std::vector<Bytes>{{0x99, 36, 90}}));
  midi.NoteOff(9, 36);
  midi.ChannelPressure(4, 20);
  midi.PitchBend(2, 64);
  Pass(10);
  EXPECT_EQ(Shorts(), (std::vector<Bytes>{{0x99, 36, 90}, {0xE2, 64, 0}, {0xD4, 20, 0}, {0x89, 36, 0}}));
}

TEST(OutputWithoutDevice, TheQueueIsServedAndItsMessagesLostWhileClosed) {
  platform::headless::Backend backend;
  TVantorMidi midi(nullptr);
  midi.NoteOn(0, 60, 100, 5);  // note-on and note-off both due in the first pass
  backend.clock.Advance(10);
  midi.SequencerPass();
  midi.Init();
  for (int i = 0; i < 5; ++i) {
    backend.clock.Advance(10);
    midi.SequencerPass();
  }
  for (const MidiRecord& r : backend.midi.Records()) EXPECT_NE(r.kind, MidiRecord::Kind::Short);
}

// An output still starting (a synthesizer loading its SoundFont) keeps the
// queue waiting; once it is ready the messages go out, none lost.
TEST(OutputStillStarting, TheQueueWaitsForIt) {
  platform::headless::Backend backend;
  backend.midi.HoldStarting(true);
  TVantorMidi midi(nullptr);
  midi.Init();
  EXPECT_FALSE(midi.GetReady());
  midi.NoteOn(0, 60, 100, 5);
  for (int i = 0; i < 3; ++i) {
    backend.clock.Advance(10);
    midi.SequencerPass();
  }
  for (const MidiRecord& r : backend.midi.Records()) EXPECT_NE(r.kind, MidiRecord::Kind::Short);
  backend.midi.HoldStarting(false);
  EXPECT_TRUE(midi.GetReady());
  backend.clock.Advance(10);
  midi.SequencerPass();
  int shorts = 0;
  for (const MidiRecord& r : backend.midi.Records()) shorts += r.kind == MidiRecord::Kind::Short;
  EXPECT_EQ(shorts, 2);
}

TEST_F(Output, VolumeIsTrackedWithReportOffButNotDuringAFade) {
  PlayEndless();
  Pass(10);
  midi.SetReport(false);
  midi.ControlChange(3, 7, 90);
  midi.ControlChange(3, 10, 20);  // pan is only tracked with the report on
  Pass(10);
  midi.SetReport(true);
  Pass(10);
  TVantorMidiChannel channels[16];
  midi.GetChannelData(channels);
  EXPECT_EQ(channels[3].Volume, 90);
  EXPECT_EQ(channels[3].Pan, 64);

  midi.SetFadeOut(5000);
  midi.ControlChange(3, 7, 50);
  Pass(10);
  Pass(10);  // the snapshot of this pass comes after the change
  midi.GetChannelData(channels);
  EXPECT_EQ(channels[3].Volume, 90);
  EXPECT_EQ(Count({0xB3, 7, 50}), 1);
}

TEST_F(Output, ChannelReportFollowsTheControllersItKeeps) {
  PlayEndless();
  midi.ControlChange(5, 11, 70);
  midi.ControlChange(5, 91, 10);
  midi.ControlChange(5, 93, 11);
  midi.ControlChange(5, 94, 12);
  midi.ControlChange(5, 1, 99);
  midi.ProgramChange(5, 42);
  midi.NoteOn(5, 60, 80, kEndlessNote);
  midi.NoteOn(5, 61, 30, kEndlessNote);
  Pass(10);
  // The queue is served after the song's pass took its snapshot.
  Pass(10);
  TVantorMidiChannel channels[16];
  midi.GetChannelData(channels);
  EXPECT_EQ(channels[5].Expression, 70);
  EXPECT_EQ(channels[5].Reverb, 10);
  EXPECT_EQ(channels[5].Chorus, 11);
  EXPECT_EQ(channels[5].Delay, 12);
  EXPECT_EQ(channels[5].Program, 42);
  EXPECT_EQ(channels[5].Level, 76);  // 80, one decay of 4
  EXPECT_EQ(channels[4].Level, 0);
}

TEST_F(Output, ChannelDataNeedsTheReportAndIsZeroBeforeTheFirstReset) {
  TVantorMidiChannel channels[16];
  midi.GetChannelData(channels);
  for (const TVantorMidiChannel& c : channels) EXPECT_EQ(c.Volume, 0);
  midi.SetReport(false);
  channels[0].Volume = 77;
  try {
    midi.GetChannelData(channels);
    ADD_FAILURE() << "no exception";
  } catch (const EVnMidi& e) {
    EXPECT_EQ(platform::Cp932ToUtf8(e.Message()),
              "TVantorMidi エラー\n\nReportプロパティは、falseになっています。");
  }
  EXPECT_EQ(channels[0].Volume, 77);
}

TEST_F(Output, ResetsAndGsEffectsSendTheirExactBytes) {
  backend.midi.ClearRecords();
  midi.MidiReset(mrGM);
  midi.MidiReset(mrGS);
  midi.MidiReset(static_cast<TMidiReset>(2));
  midi.SetGSReverb(grHall2);
  midi.SetGSChorus(gcChorus3);
  midi.SetGSDelay(gdDelay1);
  midi.SetGSReverb(grPanningDelay);
  midi.SetGSDelay(gdPanRepeat);
  EXPECT_EQ(Longs(), (std::vector<Bytes>{
                         {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7},
                         {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7},
                         {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x01, 0x30, 0x04, 0x0B, 0xF7},
                         {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x01, 0x38, 0x02, 0x05, 0xF7},
                         {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x01, 0x50, 0x00, 0x6F, 0xF7},
                         {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x01, 0x30, 0x07, 0x08, 0xF7},
                         {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x01, 0x50, 0x09, 0x66, 0xF7},
                     }));
}

TEST(OutputBeforeInit, ResetsAndGsEffectsNeedInit) {
  platform::headless::Backend backend;
  TVantorMidi midi(nullptr);
  const std::string expected = "TVantorMidi エラー\n\nまだ初期化されてません。";
  auto failure = [](auto&& call) -> std::string {
    try {
      call();
    } catch (const EVnMidi& e) {
      return platform::Cp932ToUtf8(e.Message());
    }
    return "(nothing thrown)";
  };
  EXPECT_EQ(failure([&] { midi.MidiReset(mrGM); }), expected);
  EXPECT_EQ(failure([&] { midi.SetGSReverb(grRoom1); }), expected);
  EXPECT_EQ(failure([&] { midi.SetGSChorus(gcChorus1); }), expected);
  EXPECT_EQ(failure([&] { midi.SetGSDelay(gdDelay1); }), expected);
}

TEST_F(Output, ALongMessageIsRetriedWhileTheSinkIsNotReadyUpTo200Attempts) {
  backend.midi.ClearRecords();
  backend.midi.RefuseLongMessages(199);
  midi.SetGSReverb(grRoom1);
  EXPECT_EQ(Longs().size(), 1u);

  backend.midi.RefuseLongMessages(200);
  midi.SetGSReverb(grRoom2);  // given up silently
  midi.SetGSReverb(grRoom3);
  ASSERT_EQ(Longs().size(), 2u);
  EXPECT_EQ(Longs()[1][8], grRoom3);
}

}  // namespace
}  // namespace miditest
