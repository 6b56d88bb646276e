#include <gtest/gtest.h>

#include <thread>

#include "midi_fixture.h"
#include "vantor/system/exceptions.h"

namespace miditest {
namespace {

using VantorSystem::EVnMidi;

const Bytes kGmSystemOn = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};

class Sequencer : public MidiTest {
 protected:
  void SetUp() override {
    MidiTest::SetUp();
    midi.OnMidiEnd = [this](TComponent* sender) {
      EXPECT_EQ(sender, &midi);
      EXPECT_EQ(std::this_thread::get_id(), mainThread);
      ++ends;
    };
    midi.Init();
  }
  // Delivers the messages posted to the main thread, as the message loop does.
  void Dispatch() { platform::DispatchPostedMessages(); }

  std::thread::id mainThread = std::this_thread::get_id();
  int ends = 0;
};

// A note on `key` at every tick in `ticks`, one track.
TrackBuilder Notes(const std::vector<uint32_t>& ticks, uint8_t key = 60) {
  TrackBuilder track;
  uint32_t now = 0;
  for (uint32_t tick : ticks) {
    track.Event(tick - now, {0x90, key, 100});
    now = tick;
  }
  return track.End();
}

TEST_F(Sequencer, TicksFollowDivisionAndTempoWithTheRemainderCarried) {
  Load("long", {Notes({100000})});
  midi.Play("long", false);
  Pass(10);
  EXPECT_EQ(midi.GetDeltaTime(), 9u);  // 4800 / 500 = 9, remainder 300
  Passes(99);
  EXPECT_EQ(midi.GetDeltaTime(), 960u);
  EXPECT_EQ(midi.GetMusicTempo(), 500000u);
}

TEST_F(Sequencer, ATempoEventSetsTheTickRateFromTheNextPass) {
  TrackBuilder track;
  track.Tempo(0, 1000000).Event(100000, {0x90, 60, 1}).End();
  Load("slow", {track});
  midi.Play("slow", false);
  Pass(10);
  EXPECT_EQ(midi.GetDeltaTime(), 9u);  // still 500 ms per quarter note
  EXPECT_EQ(midi.GetMusicTempo(), 1000000u);
  Pass(10);
  EXPECT_EQ(midi.GetDeltaTime(), 14u);  // (300 + 4800) / 1000 = 5
}

TEST_F(Sequencer, ATempoBelowOneMillisecondPerQuarterCountsAsOne) {
  TrackBuilder track;
  track.Tempo(0, 500).Event(100000, {0x90, 60, 1}).End();
  Load("fast", {track});
  midi.Play("fast", false);
  Pass(10);
  Pass(10);
  EXPECT_EQ(midi.GetDeltaTime(), 9u + 5100u);  // the remainder 300 counts too
}

TEST_F(Sequencer, EventsAreSentInTheFirstPassThatReachesThem) {
  Load("song", {Notes({0, 9, 10})});
  midi.Play("song", false);
  EXPECT_EQ(Longs(), (std::vector<Bytes>{kGmSystemOn}));
  EXPECT_TRUE(Shorts().empty());
  Pass(10);
  EXPECT_EQ(Count({0x90, 60, 100}), 2);
  Pass(10);
  EXPECT_EQ(Count({0x90, 60, 100}), 3);
  Dispatch();
  EXPECT_EQ(ends, 1);
}

// Markers at 480 and 960, notes at 0, 480, 720 and 1200, tempo 250000 at
// 240 and 500000 at 600: a loop from 480 to 960, reached after about 82
// passes and then taken every 44 passes.
TrackBuilder LoopSong(const std::string& start, const std::string& end, bool cue) {
  TrackBuilder track;
  track.Event(0, {0x90, 1, 100}).Tempo(240, 250000);
  cue ? track.Cue(240, start) : track.Marker(240, start);
  track.Event(0, {0x90, 2, 100}).Tempo(120, 500000).Event(120, {0x90, 3, 100});
  cue ? track.Cue(240, end) : track.Marker(240, end);
  track.Event(240, {0x90, 4, 100});
  return track.End();
}

TEST_F(Sequencer, LoopMarkersRepeatFromStartToEnd) {
  Load("loop", {LoopSong("RepeatStart", "RepeatEnd", false)});
  midi.Play("loop", true);
  Passes(200);
  EXPECT_EQ(Count({0x90, 1, 100}), 1);
  EXPECT_GE(Count({0x90, 2, 100}), 2);
  EXPECT_GE(Count({0x90, 3, 100}), 2);
  EXPECT_EQ(Count({0x90, 4, 100}), 0);
  EXPECT_GE(midi.GetDeltaTime(), 480u);
  EXPECT_LE(midi.GetDeltaTime(), 960u);
  Dispatch();
  EXPECT_EQ(ends, 0);
}

TEST_F(Sequencer, TheJumpTakesTheLastTempoBeforeTheLoopStart) {
  Load("loop", {LoopSong("RepeatStart", "RepeatEnd", false)});
  midi.Play("loop", true);
  uint32_t last = 0;
  for (int i = 0; i < 400; ++i) {
    const size_t sentBefore = backend.midi.Records().size();
    Pass(10);
    const uint32_t now = midi.GetDeltaTime();
    if (now < last) {
      // Just jumped: the tempo event at 600 is behind, the one at 240 counts.
      EXPECT_EQ(midi.GetMusicTempo(), 250000u);
      EXPECT_EQ(now, 480u);
      // Nothing is sent at a jump: no notes off, no resets.
      EXPECT_EQ(backend.midi.Records().size(), sentBefore);
      return;
    }
    last = now;
  }
  FAIL() << "never looped";
}

TEST_F(Sequencer, WithoutLoopTheMarkersAreIgnoredAndTheSongEnds) {
  Load("once", {LoopSong("RepeatStart", "RepeatEnd", false)});
  midi.Play("once", false);
  Passes(300);
  for (uint8_t key = 1; key <= 4; ++key) EXPECT_EQ(Count({0x90, key, 100}), 1) << int(key);
  Dispatch();
  EXPECT_EQ(ends, 1);
  // The end message's reset returns to the defaults.
  EXPECT_EQ(midi.GetMusicTempo(), 500000u);
  EXPECT_EQ(midi.GetDeltaTime(), 0u);
}

TEST_F(Sequencer, CuePointsRepeatAndEndLoopLikeTheMarkers) {
  Load("cue", {LoopSong("repeat", "END", true)});
  midi.Play("cue", true);
  Passes(200);
  EXPECT_EQ(Count({0x90, 1, 100}), 1);
  EXPECT_GE(Count({0x90, 2, 100}), 2);
  EXPECT_EQ(Count({0x90, 4, 100}), 0);
}

TEST_F(Sequencer, CrossedLoopWordsDoNothing) {
  // A marker "end" and a cue point "RepeatEnd" are not loop ends: the song
  // plays through and, looping, starts over at tick 0.
  TrackBuilder track;
  track.Event(0, {0x90, 1, 100}).Marker(480, "end").Cue(0, "RepeatEnd").Event(480, {0x90, 4, 100}).End();
  Load("crossed", {track});
  midi.Play("crossed", true);
  Passes(250);
  EXPECT_GE(Count({0x90, 4, 100}), 2);
  EXPECT_GE(Count({0x90, 1, 100}), 3);
}

TEST_F(Sequencer, ALoopingSongWithoutMarkersRestartsAtZero) {
  Load("plain", {Notes({0, 480})});
  midi.Play("plain", true);
  Passes(60);  // 600 ms: 576 ticks, past the last note
  EXPECT_EQ(Count({0x90, 60, 100}), 3);
  EXPECT_LT(midi.GetDeltaTime(), 480u);
  Dispatch();
  EXPECT_EQ(ends, 0);
}

TEST_F(Sequencer, RepeatEndWithoutRepeatStartJumpsToZero) {
  TrackBuilder track;
  track.Event(0, {0x90, 1, 100}).Marker(480, "RepeatEnd").Event(480, {0x90, 2, 100}).End();
  Load("nostart", {track});
  midi.Play("nostart", true);
  Passes(110);  // 1056 ticks: two jumps
  EXPECT_EQ(Count({0x90, 1, 100}), 3);
  EXPECT_EQ(Count({0x90, 2, 100}), 0);
}

TEST_F(Sequencer, FadeOutStepsEvery32PassesAndEndsAfterItsTime) {
  Load("long", {Notes({0, 100000})});
  midi.Play("long", false);
  Pass(10);
  backend.midi.ClearRecords();
  midi.SetFadeOut(2500);
  midi.SetFadeOut(100);  // a running fade is not restarted
  std::vector<int> stepPasses;
  for (int pass = 1; pass <= 250; ++pass) {
    const size_t before = Shorts().size();
    Pass(10);
    const std::vector<Bytes> sent = Shorts();
    if (sent.size() == before) continue;
    ASSERT_EQ(sent.size(), before + 16) << "pass " << pass;
    stepPasses.push_back(pass);
    const double volume = 100.0 * (1.0 - 10.0 * pass / 2500.0);
    for (uint8_t c = 0; c < 16; ++c) {
      EXPECT_EQ(sent[before + c][0], 0xB0 | c);
      EXPECT_EQ(sent[before + c][1], 7);
      // The factor is a float worn down pass by pass: within one step of the exact value.
      EXPECT_NEAR(sent[before + c][2], volume, 1.0) << "pass " << pass;
    }
    Dispatch();
    EXPECT_EQ(ends, 0) << "pass " << pass;
  }
  EXPECT_EQ(stepPasses, (std::vector<int>{1, 33, 65, 97, 129, 161, 193, 225}));
  Dispatch();
  EXPECT_EQ(ends, 1);
  // The next pass sends nothing of the song.
  const size_t after = Shorts().size();
  Pass(10);
  EXPECT_EQ(Shorts().size(), after);
}

TEST_F(Sequencer, SongVolumeDuringAFadeIsSentButNotStored) {
  TrackBuilder track;
  track.Event(0, {0xB0, 7, 90}).Event(960, {0xB0, 7, 120}).Event(100000, {0x90, 60, 1}).End();
  Load("vol", {track});
  midi.Play("vol", false);
  Pass(10);
  midi.SetFadeOut(10000);
  Passes(120);  // past tick 960
  EXPECT_EQ(Count({0xB0, 7, 120}), 1);
  Passes(100);
  // Fade steps keep scaling the volume from before the fade (90).
  const std::vector<Bytes> sent = Shorts();
  EXPECT_EQ(sent.back()[0], 0xBF);
  EXPECT_LT(sent.back()[2], 90);
  EXPECT_GT(sent.back()[2], 60);
}

TEST_F(Sequencer, StopThenPlayStartsTheNextSongWithItsOwnTempo) {
  Load("first", {Notes({0, 100000}, 1)});
  TrackBuilder second;
  second.Tempo(0, 250000).Event(100000, {0x90, 2, 1}).End();
  Load("second", {second});

  midi.Play("first", true);
  Passes(5);
  midi.Stop();
  midi.Play("second", true);
  Passes(2);
  EXPECT_EQ(midi.GetMusicTempo(), 250000u);
  const uint32_t position = midi.GetDeltaTime();
  EXPECT_GT(position, 0u);

  // The first song's end message arrives now: it is reported, but it does
  // not reset the song that plays.
  Dispatch();
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(midi.GetMusicTempo(), 250000u);
  EXPECT_EQ(midi.GetDeltaTime(), position);

  // The stop silenced the device, the new song began with GM System On.
  const auto records = backend.midi.Records();
  size_t reset = 0;
  while (reset < records.size() && records[reset].kind != MidiRecord::Kind::Reset) ++reset;
  ASSERT_LT(reset + 1, records.size());
  EXPECT_EQ(records[reset + 1].kind, MidiRecord::Kind::Long);
  EXPECT_EQ(records[reset + 1].bytes, kGmSystemOn);
}

TEST_F(Sequencer, PlayWhilePlayingChangesNothing) {
  Load("a", {Notes({0, 100000}, 1)});
  Load("b", {Notes({0, 100000}, 2)});
  midi.Play("a", false);
  Pass(10);
  midi.Play("b", false);
  Passes(3);
  EXPECT_EQ(Count({0x90, 1, 100}), 1);
  EXPECT_EQ(Count({0x90, 2, 100}), 0);
  EXPECT_EQ(Longs().size(), 1u);
  EXPECT_GT(midi.GetDeltaTime(), 30u);
}

TEST_F(Sequencer, OnMidiStartIsRaisedOnTheMainThreadAfterPlay) {
  int starts = 0;
  midi.OnMidiStart = [&](TComponent* sender) {
    EXPECT_EQ(sender, &midi);
    ++starts;
  };
  Load("a", {Notes({0})});
  midi.Play("a", false);
  EXPECT_EQ(starts, 0);
  Dispatch();
  EXPECT_EQ(starts, 1);
}

TEST_F(Sequencer, DeletingThePlayingSongStopsItFirst) {
  Load("a", {Notes({0, 100000})});
  midi.Play("a", false);
  Pass(10);
  midi.DeleteData("a");
  Passes(3);
  Dispatch();
  EXPECT_EQ(ends, 1);
  const auto records = backend.midi.Records();
  EXPECT_EQ(records.back().kind, MidiRecord::Kind::Reset);

  Load("b", {Notes({0, 100000})});
  midi.Play("b", false);
  Pass(10);
  midi.DeleteAllData();
  Passes(3);
  Load("c", {Notes({0})});
  midi.Play("c", false);  // the sequencer is free again
  Pass(10);
  EXPECT_EQ(Count({0x90, 60, 100}), 3);
}

// Paused, the song waits at its tick with its notes released; resumed, it
// goes on from that tick as if the pause had not been, with no burst of the
// events that fell due meanwhile. Its fade waits too.
TEST_F(Sequencer, APauseHoldsTheSongAtItsTickAndResumesWithoutCatchingUp) {
  Load("song", {Notes({0, 9, 20, 30})});
  midi.Play("song", false);
  midi.SetFadeOut(1000);
  Pass(10);  // tick 9, remainder 300
  ASSERT_EQ(Count({0x90, 60, 100}), 2);
  midi.SetPaused(true);
  EXPECT_TRUE(midi.GetPaused());
  EXPECT_EQ(backend.midi.Records().back().kind, MidiRecord::Kind::Reset);
  Passes(200);  // two seconds
  EXPECT_EQ(midi.GetDeltaTime(), 9u);
  EXPECT_EQ(Count({0x90, 60, 100}), 2);
  Dispatch();
  EXPECT_EQ(ends, 0);  // neither the fade nor the song ran out

  midi.SetPaused(false);
  Pass(10);
  EXPECT_EQ(midi.GetDeltaTime(), 19u);
  EXPECT_EQ(Count({0x90, 60, 100}), 2);
  Pass(10);
  EXPECT_EQ(Count({0x90, 60, 100}), 3);
}

TEST_F(Sequencer, ResetRestoresTheChannelDefaultsButNotThePrograms) {
  TrackBuilder track;
  track.Event(0, {0xC3, 17}).Event(0, {0xB3, 10, 5}).Event(0, {0x93, 60, 127}).Event(100000, {0x90, 1, 1}).End();
  Load("a", {track});
  midi.Play("a", false);
  Pass(10);
  VantorMidiSystem::TVantorMidiChannel channels[16];
  midi.GetChannelData(channels);
  EXPECT_EQ(channels[3].Program, 17);
  EXPECT_EQ(channels[3].Pan, 5);
  EXPECT_EQ(channels[3].Level, 127);
  midi.Reset();
  midi.GetChannelData(channels);
  EXPECT_EQ(channels[3].Program, 17);
  EXPECT_EQ(channels[3].Level, 0);
  EXPECT_EQ(channels[3].Volume, 100);
  EXPECT_EQ(channels[3].Pan, 64);
  EXPECT_EQ(channels[3].Expression, 127);
  EXPECT_EQ(channels[3].Reverb, 40);
  EXPECT_EQ(midi.GetDeltaTime(), 0u);
}

TEST_F(Sequencer, LevelsDecayByFourPerPassWhileASongPlays) {
  TrackBuilder track;
  track.Event(0, {0x90, 60, 127}).Event(100000, {0x90, 1, 1}).End();
  Load("a", {track});
  midi.Play("a", false);
  Pass(10);
  VantorMidiSystem::TVantorMidiChannel channels[16];
  midi.GetChannelData(channels);
  EXPECT_EQ(channels[0].Level, 127);
  Pass(10);
  midi.GetChannelData(channels);
  EXPECT_EQ(channels[0].Level, 123);
  Passes(31);
  midi.GetChannelData(channels);
  EXPECT_EQ(channels[0].Level, 0);
}

TEST(SequencerLifecycle, PlayStopAndFadeNeedInit) {
  platform::headless::Backend backend;
  VantorMidiSystem::TVantorMidi midi(nullptr);
  try {
    midi.Play("x", false);
    ADD_FAILURE() << "Play before Init";
  } catch (const EVnMidi& e) {
    EXPECT_EQ(platform::Cp932ToUtf8(e.Message()), "TVantorMidi エラー\n\nまだ初期化されてません。");
  }
  EXPECT_THROW(midi.Stop(), EVnMidi);
  EXPECT_THROW(midi.SetFadeOut(100), EVnMidi);
  midi.Init();
  EXPECT_THROW(midi.Play("x", false), EVnMidi);  // unknown name
  midi.CleanUp();
  EXPECT_FALSE(backend.midi.IsOpen());
  EXPECT_THROW(midi.Stop(), EVnMidi);
  VantorMidiSystem::Register();
  EXPECT_TRUE(platform::IsComponentRegistered("Vantor", "TVantorMidi"));
}

TEST(SequencerLifecycle, InitFailsWhenTheDeviceCannotBeOpened) {
  platform::headless::Backend backend;
  backend.midi.Use(platform::headless::HeadlessMidi::Sink::Unavailable);
  VantorMidiSystem::TVantorMidi midi(nullptr);
  try {
    midi.Init();
    ADD_FAILURE() << "Init succeeded";
  } catch (const EVnMidi& e) {
    EXPECT_EQ(platform::Cp932ToUtf8(e.Message()), "TVantorMidi エラー\n\nMidiOutの作成に失敗しました。");
  }
  EXPECT_THROW(midi.Play("x", false), EVnMidi);
}

TEST(SequencerLifecycle, DestroyingTheComponentWhilePlayingIsSafe) {
  platform::headless::Backend backend;
  {
    VantorMidiSystem::TVantorMidi midi(nullptr);
    midi.Init();
    midi.CreateData("a", WriteFile("destroy.mid", Smf(0, 480, {Notes({0, 100000})})));
    midi.Play("a", true);
    backend.clock.Advance(10);
    midi.SequencerPass();
  }
  EXPECT_FALSE(backend.midi.IsOpen());
  platform::DispatchPostedMessages();  // the window has gone: nothing is delivered
}

}  // namespace
}  // namespace miditest
