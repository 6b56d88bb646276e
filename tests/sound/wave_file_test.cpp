// Loading WAV files: the chunk walk, its failures and what reaches the mixer.
#include "tests/sound/sound_fixture.h"

using namespace sound_test;
using VantorSoundSystem::sb16bit;
using VantorSystem::EVnSound;
using VantorSystem::EVnSoundBuffer;

namespace {

const std::vector<int16_t> kSamples = {1000, -2000, 3000, -4000, 5000, -6000, 7000};

class WaveFileTest : public SoundTest {
 protected:
  void SetUp() override { InitOutput(8000, sb16bit, false); }

  // Loads the file and plays it once; returns what the mixer produced.
  std::vector<int16_t> LoadAndPlay(const Bytes& file, uint32_t frames) {
    std::string path = Write("x.wav", file);
    sound->CreateBuffer("x", path, false);
    backend.sound.ClearCaptured();
    sound->Play("x", false);
    backend.sound.Advance(frames);
    return Captured16();
  }

  std::vector<int16_t> Expected(uint32_t frames) const {
    std::vector<int16_t> expected(kSamples);
    expected.resize(frames, 0);
    return expected;
  }

  void ExpectLoadFailure(const Bytes& file, const char* utf8Detail) {
    std::string path = Write("bad.wav", file);
    ExpectThrowText<EVnSoundBuffer>([&] { sound->CreateBuffer("bad", path, false); }, BufferText(utf8Detail, path));
    // The failed load leaves nothing under the name.
    ExpectThrowText<EVnSound>([&] { sound->Play("bad", false); },
                              SoundText("バッファが存在しません。\nバッファ名：", "bad"));
  }
};

TEST_F(WaveFileTest, LayoutsThatLoadPlayExactlyTheirSamples) {
  const Bytes data = Pcm16(kSamples);
  const Bytes fmt16 = FormatBody(1, 8000, 16, 16);
  const std::vector<std::pair<const char*, Bytes>> files = {
      {"16-byte fmt", Riff({{"fmt ", fmt16}, {"data", data}})},
      {"18-byte fmt", Riff({{"fmt ", FormatBody(1, 8000, 16, 18)}, {"data", data}})},
      {"fmt longer than 18 bytes", Riff({{"fmt ", FormatBody(1, 8000, 16, 22)}, {"data", data}})},
      {"fmt of odd size", Riff({{"fmt ", FormatBody(1, 8000, 16, 19)}, {"data", data}})},
      {"fmt of odd size without pad byte",
       Riff({{"fmt ", FormatBody(1, 8000, 16, 19), UINT32_MAX, false}, {"data", data}})},
      {"even chunk before data", Riff({{"fmt ", fmt16}, {"LIST", Bytes(10, 'z')}, {"data", data}})},
      {"odd chunk before data", Riff({{"fmt ", fmt16}, {"junk", Bytes(3, 'z')}, {"data", data}})},
      {"odd chunk before data without pad byte",
       Riff({{"fmt ", fmt16}, {"junk", Bytes(3, 'z'), UINT32_MAX, false}, {"data", data}})},
      {"data before fmt", Riff({{"data", data}, {"fmt ", fmt16}})},
      {"chunks after data", Riff({{"fmt ", fmt16}, {"data", data}, {"LIST", Bytes(5, 'q')}})},
  };
  for (const auto& [what, file] : files) {
    SCOPED_TRACE(what);
    EXPECT_EQ(LoadAndPlay(file, 10), Expected(10));
    sound->DeleteBuffer("x");
  }
}

TEST_F(WaveFileTest, DataChunkLongerThanTheFilePlaysWhatIsThere) {
  Bytes data = Pcm16(kSamples);
  Bytes file = Riff({{"fmt ", FormatBody(1, 8000, 16)}, {"data", data, 4000}});
  EXPECT_EQ(LoadAndPlay(file, 10), Expected(10));
}

TEST_F(WaveFileTest, MalformedFilesFailWithTheirMessages) {
  const Bytes fmt = FormatBody(1, 8000, 16);
  Bytes wave = Riff({{"fmt ", fmt}, {"data", Pcm16(kSamples)}});

  ExpectLoadFailure(Bytes{'R', 'I', 'F'}, "RIFFフォーマットではありません。\nファイル名：");
  Bytes notRiff = wave;
  notRiff[0] = 'r';
  ExpectLoadFailure(notRiff, "RIFFフォーマットではありません。\nファイル名：");
  ExpectLoadFailure(Bytes(wave.begin(), wave.begin() + 10), "WAVEフォーマットではありません。\nファイル名：");
  ExpectLoadFailure(Riff({{"fmt ", fmt}, {"data", Pcm16(kSamples)}}, "AVI "),
                    "WAVEフォーマットではありません。\nファイル名：");
  ExpectLoadFailure(Riff({{"fmt ", fmt}, {"data", {}}}), "ファイルフォーマットが不正です。\nファイル名：");
  ExpectLoadFailure(Riff({{"data", Pcm16(kSamples)}}), "ファイルフォーマットが不正です。\nファイル名：");
  ExpectLoadFailure(Riff({{"fmt ", fmt}}), "ファイルフォーマットが不正です。\nファイル名：");
  // Cut inside the header of the data chunk, and right after it.
  ExpectLoadFailure(Bytes(wave.begin(), wave.begin() + 40), "ファイルフォーマットが不正です。\nファイル名：");
  ExpectLoadFailure(Bytes(wave.begin(), wave.begin() + 44), "ファイルフォーマットが不正です。\nファイル名：");
  // A format the device cannot play.
  ExpectLoadFailure(Riff({{"fmt ", FormatBody(1, 8000, 24)}, {"data", Bytes(12, 1)}}),
                    "バッファの作成に失敗しました。\nファイル名：");
  ExpectLoadFailure(Riff({{"fmt ", FormatBody(1, 8000, 16, 6)}, {"data", Pcm16(kSamples)}}),
                    "バッファの作成に失敗しました。\nファイル名：");
}

TEST_F(WaveFileTest, MissingFileAndFolderFail) {
  std::filesystem::create_directories(HostPath("folder.wav"));
  for (const char* name : {"sound\\none.wav", "sound\\folder.wav"})
    ExpectThrowText<EVnSoundBuffer>([&] { sound->CreateBuffer("a", name, false); },
                                    BufferText("WAVEの読み込みに失敗しました。\nファイル名：", name));
}

TEST_F(WaveFileTest, NameAlreadyLoadedKeepsTheOldSoundAndReadsNothing) {
  std::string path = Write("a.wav", Wave(1, 8000, 16, Pcm16(kSamples)));
  sound->CreateBuffer("a", path, false);
  // The second file does not exist: it must not even be opened.
  sound->CreateBuffer("a", "sound\\missing.wav", false);
  backend.sound.ClearCaptured();
  sound->Play("a", false);
  backend.sound.Advance(10);
  EXPECT_EQ(Captured16(), Expected(10));
}

}  // namespace
