#include <gtest/gtest.h>

#include "midi_fixture.h"
#include "vantor/system/exceptions.h"

namespace miditest {
namespace {

using VantorMidiSystem::TMetaEvent;
using VantorMidiSystem::TShortMessage;
using VantorMidiSystem::TVantorMidiData;
using VantorSystem::EVnMidi;

std::vector<TShortMessage> ShortList(const TVantorMidiData& song) {
  return {song.ShortMessages.begin(), song.ShortMessages.end()};
}

// The detail text of an EVnMidi thrown by `load`, in UTF-8.
template <class Load>
std::string FailureOf(Load&& load) {
  try {
    load();
  } catch (const EVnMidi& e) {
    return platform::Cp932ToUtf8(e.Message());
  }
  return "(nothing thrown)";
}

std::string LoadFailure(const Bytes& bytes, const std::string& name = "bad.mid") {
  const std::string path = WriteFile(name, bytes);
  TVantorMidiData song;
  return FailureOf([&] { song.LoadFile(path); });
}

const char* kBadData = "TVantorMidi エラー\n\nファイルデータが不正です。\nファイル名：";

TEST(SongLoader, MergesTracksByTimeKeepingTrackAndFileOrder) {
  TrackBuilder tempo;
  tempo.Tempo(0, 400000).Marker(0, "RepeatStart").Tempo(960, 300000).End();
  TrackBuilder first;
  first.Event(0, {0xB0, 7, 100}).Event(0, {0x90, 60, 90}).Event(480, {0x80, 60, 0}).End();
  TrackBuilder second;
  second.Event(0, {0xB1, 7, 80}).Event(480, {0x91, 64, 70}).Event(0, {0x81, 64, 0}).End(480);

  TVantorMidiData song;
  song.LoadFile(WriteFile("merge.mid", Smf(1, 480, {tempo, first, second})));

  EXPECT_EQ(song.Format, 1);
  EXPECT_EQ(song.Division, 480);
  const std::vector<Bytes> expected = {{0xB0, 7, 100}, {0x90, 60, 90}, {0xB1, 7, 80},
                                       {0x80, 60, 0},  {0x91, 64, 70}, {0x81, 64, 0}};
  const std::vector<uint32_t> times = {0, 0, 0, 480, 480, 480};
  auto list = ShortList(song);
  ASSERT_EQ(list.size(), expected.size());
  for (size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ((Bytes{list[i].Status, list[i].Data1, list[i].Data2}), expected[i]) << i;
    EXPECT_EQ(list[i].Time, times[i]) << i;
  }
  ASSERT_EQ(song.MetaEvents.size(), 3u);
  auto meta = song.MetaEvents.begin();
  EXPECT_EQ(meta->Type, 0x51);
  EXPECT_EQ(meta->Value, 400000);
  ++meta;
  EXPECT_EQ(meta->Type, 0x06);
  EXPECT_EQ(meta->Text, "RepeatStart");
  ++meta;
  EXPECT_EQ(meta->Time, 960);
  EXPECT_EQ(meta->Value, 300000);
  // The longest track, with the delta of its End of Track, sets the length.
  EXPECT_EQ(song.TotalTime, 960u);
}

TEST(SongLoader, RunningStatusAndOneByteMessages) {
  TrackBuilder track;
  track.Event(0, {0x90, 60, 100}).Event(10, {62, 101})  // running status
      .Event(0, {0xC5, 7})                              // one data byte
      .Event(5, {0xD2, 33})                             // one data byte
      .Event(0, {0xE0, 0x00, 0x40})
      .End();
  TVantorMidiData song;
  song.LoadFile(WriteFile("running.mid", Smf(0, 96, {track})));
  auto list = ShortList(song);
  ASSERT_EQ(list.size(), 5u);
  EXPECT_EQ(list[1].Status, 0x90);
  EXPECT_EQ(list[1].Data1, 62);
  EXPECT_EQ(list[1].Time, 10u);
  EXPECT_EQ(list[2].Status, 0xC5);
  EXPECT_EQ(list[2].Data1, 7);
  EXPECT_EQ(list[2].Data2, 0);
  EXPECT_EQ(list[3].Time, 15u);  // the byte after the program number was the next delta
  EXPECT_EQ(list[3].Data1, 33);
  EXPECT_EQ(list[4].Data2, 0x40);
}

TEST(SongLoader, EndOfTrackEndsTheTrackAndATrackMayEndWithoutIt) {
  TrackBuilder ended;
  ended.Event(0, {0x90, 60, 1}).End(480).Event(0, {0x90, 61, 1});
  TrackBuilder open;
  open.Event(960, {0x90, 62, 1});
  TVantorMidiData song;
  song.LoadFile(WriteFile("eot.mid", Smf(1, 480, {ended, open})));
  auto list = ShortList(song);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].Data1, 60);
  EXPECT_EQ(list[1].Data1, 62);
  EXPECT_EQ(song.TotalTime, 960u);
}

TEST(SongLoader, TextsTimeSignatureAndSystemExclusive) {
  TrackBuilder track;
  track.Meta(0, 0x01, "text").Meta(0, 0x02, "(c)").Meta(0, 0x03, "Track A")
      .Meta(0, 0x01, std::string("abcd\0efghi", 10))
      .Event(0, {0xFF, 0x58, 0x04, 3, 3, 24, 8})
      .Meta(0, 0x05, "la").Cue(0, "end")
      .Meta(0, 0x7F, "sequencer specific")
      .Event(0, {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7})
      .Event(0, {0xF7, 0x01, 0x42})
      .End();
  TVantorMidiData song;
  song.LoadFile(WriteFile("texts.mid", Smf(0, 480, {track})));
  EXPECT_EQ(song.Texts, (std::vector<std::string>{"text", "abcd"}));
  EXPECT_EQ(song.Notices, (std::vector<std::string>{"(c)"}));
  EXPECT_EQ(song.TrackNames, (std::vector<std::string>{"Track A"}));
  EXPECT_EQ(song.BeatNumerator, 3u);
  EXPECT_EQ(song.BeatDenominator, 3u);
  EXPECT_EQ(song.BeatClocks, 24u);
  ASSERT_EQ(song.MetaEvents.size(), 2u);
  EXPECT_EQ(song.MetaEvents.front().Type, 0x05);
  EXPECT_EQ(song.MetaEvents.back().Text, "end");
  ASSERT_EQ(song.LongMessages.size(), 2u);
  EXPECT_EQ(song.LongMessages.front().Data, (Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
  EXPECT_EQ(song.LongMessages.front().Length, 6u);
  EXPECT_EQ(song.LongMessages.back().Data, (Bytes{0xF7, 0x42}));
}

TEST(SongLoader, LongMetaTextIsCutAt255Bytes) {
  TrackBuilder track;
  track.Marker(0, std::string(300, 'm')).End();
  TVantorMidiData song;
  song.LoadFile(WriteFile("longtext.mid", Smf(0, 480, {track})));
  ASSERT_EQ(song.MetaEvents.size(), 1u);
  EXPECT_EQ(song.MetaEvents.front().Text, std::string(255, 'm'));
}

TEST(SongLoader, HeaderDivisionIsReadAsUnsigned16Bits) {
  TrackBuilder track;
  track.End();
  TVantorMidiData song;
  song.LoadFile(WriteFile("smpte.mid", Smf(0, 0xE728, {track})));
  EXPECT_EQ(song.Division, 0xE728);
}

TEST(SongLoader, HeaderAndFormatFailures) {
  TrackBuilder track;
  track.End();
  Bytes format2 = Smf(2, 480, {track});
  EXPECT_EQ(LoadFailure(format2, "f2.mid"),
            "TVantorMidi エラー\n\nSMFFormat0またはSMFFormat1ではありません。\nファイル名：" +
                TempFile("f2.mid"));

  Bytes shortHeader = Smf(0, 480, {track});
  shortHeader.resize(13);
  EXPECT_NE(LoadFailure(shortHeader).find("ファイルヘッダが不正です。"), std::string::npos);

  Bytes notMThd = Smf(0, 480, {track});
  notMThd[0] = 'X';
  EXPECT_NE(LoadFailure(notMThd).find("ファイルヘッダが不正です。"), std::string::npos);

  // A header that says 8 bytes still takes 14: its last two bytes and the
  // track header then misalign.
  Bytes header8 = Smf(0, 480, {track});
  header8[7] = 8;
  header8.insert(header8.begin() + 14, {0, 0});
  EXPECT_NE(LoadFailure(header8).find("トラックヘッダが不正です。"), std::string::npos);

  Bytes missingTrack = Smf(0, 480, {track});
  missingTrack[11] = 2;  // two tracks announced, one present
  EXPECT_NE(LoadFailure(missingTrack).find("トラックヘッダが不正です。"), std::string::npos);

  // A file that is missing, and one that is a folder, cannot be read.
  const std::string folder = TempFile("folder.mid");
  std::filesystem::create_directories(folder);
  for (const std::string& path : {TempFile("does-not-exist.mid"), folder}) {
    TVantorMidiData song;
    EXPECT_EQ(FailureOf([&] { song.LoadFile(path); }),
              "TVantorMidi エラー\n\nMIDIの読み込みに失敗しました。\nファイル名：" + path);
  }
}

TEST(SongLoader, EventsRunningPastTheirChunkAreBadData) {
  struct Case {
    const char* what;
    Bytes track;
  };
  const Case cases[] = {
      {"truncated note-on", {0x00, 0x90, 0x3C}},
      {"truncated delta", {0x00, 0x90, 0x3C, 0x40, 0x81}},
      {"delta without an event", {0x00, 0x90, 0x3C, 0x40, 0x00}},
      {"system exclusive longer than the chunk", {0x00, 0xF0, 0x10, 0x01}},
      {"meta longer than the chunk", {0x00, 0xFF, 0x01, 0x05, 'a', 'b'}},
      {"meta length cut off", {0x00, 0xFF, 0x01, 0x85}},
      {"tempo with fewer than three bytes left", {0x00, 0xFF, 0x51, 0x01, 0x07}},
      {"no running status for the first event", {0x00, 0x3C, 0x40}},
  };
  for (const Case& c : cases) {
    Bytes file = Smf(0, 480, {});
    file[11] = 1;
    Bytes chunk = Chunk("MTrk", c.track);
    file.insert(file.end(), chunk.begin(), chunk.end());
    EXPECT_EQ(LoadFailure(file), kBadData + TempFile("bad.mid")) << c.what;
  }

  Bytes oversized = Smf(0, 480, {});
  oversized[11] = 1;
  Bytes chunk = Chunk("MTrk", {0x00, 0xFF, 0x2F, 0x00});
  chunk[4] = 0x7F;  // about two gigabytes announced, four bytes present
  oversized.insert(oversized.end(), chunk.begin(), chunk.end());
  EXPECT_EQ(LoadFailure(oversized), kBadData + TempFile("bad.mid"));
}

TEST(SongLoader, FailedOpenKeepsTheSongAndLaterFailuresClearIt) {
  TrackBuilder track;
  track.Event(0, {0x90, 60, 1}).End();
  TVantorMidiData song;
  song.LoadFile(WriteFile("good.mid", Smf(0, 480, {track})));
  EXPECT_THROW(song.LoadFile(TempFile("absent.mid")), EVnMidi);
  EXPECT_EQ(song.ShortMessages.size(), 1u);
  Bytes broken = Smf(0, 480, {track});
  broken[0] = 'x';
  EXPECT_THROW(song.LoadFile(WriteFile("broken.mid", broken)), EVnMidi);
  EXPECT_TRUE(song.ShortMessages.empty());
}

class Registry : public MidiTest {};

TEST_F(Registry, DuplicateNamesKeepTheFirstSongAndFailedLoadsLeaveNoEntry) {
  TrackBuilder one;
  one.Event(0, {0x90, 1, 1}).End();
  TrackBuilder two;
  two.Event(0, {0x90, 2, 2}).Event(0, {0x90, 3, 3}).End();
  Load("song", {one});
  midi.CreateData("song", WriteFile("two.mid", Smf(0, 480, {two})));
  EXPECT_EQ(midi.GetSMFData("song")->ShortMessages.size(), 1u);

  Bytes format2 = Smf(2, 480, {one});
  EXPECT_THROW(midi.CreateData("bad", WriteFile("f2.mid", format2)), EVnMidi);
  try {
    midi.GetSMFData("bad");
    ADD_FAILURE() << "a failed load left an entry";
  } catch (const EVnMidi& e) {
    EXPECT_EQ(platform::Cp932ToUtf8(e.Message()),
              "TVantorMidi エラー\n\nデータが存在しません。\nデータ名：bad");
  }

  midi.DeleteData("never created");
  midi.DeleteData("song");
  EXPECT_THROW(midi.GetSMFData("song"), EVnMidi);
  Load("a", {one});
  Load("b", {two});
  midi.DeleteAllData();
  EXPECT_THROW(midi.GetSMFData("a"), EVnMidi);
  EXPECT_THROW(midi.GetSMFData("b"), EVnMidi);
}

TEST_F(Registry, SongsAreOwnedByTheRegistryOnly) {
  TrackBuilder one;
  one.End();
  Load("song", {one});
  TVantorMidiData* song = midi.GetSMFData("song");
  EXPECT_EQ(VantorSystem::AutoPtrRegistry::Count(song), 1u);
}

}  // namespace
}  // namespace miditest
