#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "midi_fixture.h"
#include "vantor/system/debug.h"
#include "vantor/system/exceptions.h"

namespace miditest {
namespace {

using VantorDebugSystem::TVantorDebug;

std::vector<std::string> LogLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class Trace : public MidiTest {
 protected:
  void TearDown() override { TVantorDebug::SetDebug(nullptr, false, false); }
};

TEST_F(Trace, ProgressLinesOfTheRegistryAndTheLifeCycle) {
  TrackBuilder track;
  track.End();
  const std::string song = WriteFile("traced.mid", Smf(0, 480, {track}));
  const std::string log = TempFile("midi-trace.log");
  TVantorDebug::SetDebug(log.c_str(), true, false);
  midi.Init();
  midi.CreateData("song", song);
  midi.CreateData("song", song);  // already there: no line
  midi.DeleteData("song");
  midi.DeleteData("none");
  midi.DeleteAllData();
  midi.CleanUp();
  TVantorDebug::SetDebug(nullptr, false, false);

  std::vector<std::string> lines = LogLines(log);
  auto first = std::find(lines.begin(), lines.end(), "TVantorMidi::初期化開始");
  ASSERT_NE(first, lines.end());
  const std::vector<std::string> expected = {
      "TVantorMidi::初期化開始",
      "TVantorMidi::データ作成  FileName:" + song + "  DataName:song",
      "TVantorMidi::データ削除DataName:song",
      "TVantorMidi::データ削除DataName:none",
      "TVantorMidi::全データの削除",
      "TVantorMidi::クリーンアップ",
  };
  EXPECT_EQ(std::vector<std::string>(first, first + std::min<size_t>(expected.size(), lines.end() - first)),
            expected);
}

TEST_F(Trace, AFailedLoadIsTracedByEveryMethodItPassesThrough) {
  const std::string log = TempFile("midi-failure.log");
  TVantorDebug::SetDebug(log.c_str(), true, false);
  const std::string missing = TempFile("missing.mid");
  EXPECT_THROW(midi.CreateData("x", missing), VantorSystem::EVnMidi);
  TVantorDebug::SetDebug(nullptr, false, false);
  std::stringstream all;
  for (const std::string& line : LogLines(log)) all << line << '\n';
  const std::string text = all.str();
  const std::string message = "TVantorMidi エラー\n\nMIDIの読み込みに失敗しました。\nファイル名：" + missing;
  // LoadFile and CreateData each write the whole message once.
  size_t count = 0;
  for (size_t at = text.find(message); at != std::string::npos; at = text.find(message, at + 1)) ++count;
  EXPECT_EQ(count, 2u);
}

}  // namespace
}  // namespace miditest
