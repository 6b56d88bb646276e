// The English line below each message: which file, which folder.
#include <gtest/gtest.h>

#include "game/screens/explain.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace game {
namespace {

TEST(ExplainMessage, NamesTheFileAndFolderOfEachFailure) {
  platform::ClearFolderMaps();
  platform::SetHomeDir("/home/p/game");
  platform::MapFolder("bmp", "/assets/bmp");
  struct Case {
    const char* text;
    const char* english;  // the start of the line; empty: no line
    const char* leftAlone = "";  // why the ranking is left as it is
  };
  const Case cases[] = {
      {"TVantorDraw(Ex)Surface エラー\n\nBMPの読み込みに失敗しました。\nファイル名：bmp\\b03.bmp",
       "The picture /assets/bmp/b03.bmp is missing or damaged: reinstall the game, or build it again, so that "
       "/assets/bmp holds"},
      {"TVantorMidi エラー\n\nMIDIの読み込みに失敗しました。\nファイル名：sound\\bgm0.mid",
       "The song /home/p/game/sound/bgm0.mid is missing"},
      {"TVantorSoundBuffer エラー\n\nRIFFフォーマットではありません。\nファイル名：sound\\sou01.wav",
       "The sound effect /home/p/game/sound/sou01.wav"},
      {"TVantorMidi エラー\n\nMidiOutの作成に失敗しました。", "The music could not be started"},
      {"TVantorDraw(Ex) エラー\n\n画面の変更に失敗しました。", "The display could not be set up"},
      {"スコア記録ファイルを作成します。", "No ranking was found in /home/p/game:"},
      {"score.dat へのアクセスに失敗しました。", "The ranking could not be saved as /home/p/game/score.dat:"},
      // What is true of a ranking that cannot be read: nothing is saved.
      {"スコア記録ファイルを作成します。",
       "The ranking /home/p/game/score.dat cannot be read (not a regular file): it is left as it is, and this run's "
       "scores are not saved.",
       "not a regular file"},
      {"score.dat へのアクセスに失敗しました。",
       "The ranking /home/p/game/score.dat is left as it is (Permission denied): this run's scores are not saved.",
       "Permission denied"},
      {"settings.toml line 3: unknown setting volume", ""},
  };
  for (const Case& c : cases) {
    const std::string english = ExplainMessage(platform::Utf8ToCp932(c.text), c.leftAlone);
    if (*c.english == 0) EXPECT_EQ(english, "");
    else EXPECT_EQ(english.rfind(c.english, 0), 0u) << english;
  }
  platform::ClearFolderMaps();
}

}  // namespace
}  // namespace game
