#include "game/screens/explain.h"

#include "game/form.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/user_dirs.h"
#include "vantor/system/text.h"

namespace game {
namespace {

// The start of a text, and what to say about it: {path} is the file the
// text is about (the ranking's, or the one a library failure names),
// {folder} its folder. A library failure that names a file has an
// explanation of its own.
struct Explanation {
  const char* utf8Start;
  bool aboutRanking;
  const char* aboutFile;
  const char* otherwise;
};
constexpr Explanation kExplanations[] = {
    {"スコア記録ファイルを作成します。", true, nullptr,
     "No ranking was found in {folder}: a new one starts, saved there when you quit."},
    {"score.dat へのアクセスに失敗しました。", true, nullptr,
     "The ranking could not be saved as {path}: check that its folder exists and that you may write there."},
    {"TVantorDraw(Ex)Surface エラー", false,
     "The picture {path} is missing or damaged: reinstall the game, or build it again, so that {folder} holds "
     "every picture.",
     "A picture could not be prepared: the computer may be short of memory."},
    {"TVantorDraw(Ex) エラー", false, nullptr,
     "The display could not be set up: check that the desktop is running."},
    {"TVantorSoundBuffer エラー", false,
     "The sound effect {path} is missing or damaged: reinstall the game, or build it again, so that {folder} "
     "holds every sound.",
     "A sound effect could not be prepared: the computer may be short of memory."},
    {"TVantorSound エラー", false, nullptr,
     "The sound effects could not be started: check the desktop's sound settings."},
    {"TVantorMidi エラー", false,
     "The song {path} is missing or damaged: reinstall the game, or build it again, so that {folder} holds "
     "every song.",
     "The music could not be started."},
    {"TVantorInput エラー", false, nullptr, "The keyboard or the pad could not be opened."},
    {"TVantorAutoPtr エラー", false, nullptr, "Something inside the game failed: the text above says what."},
};

void Replace(std::string& text, const std::string& mark, const std::string& value) {
  for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + value.size()))
    text.replace(at, mark.size(), value);
}

// The file a library failure names after its "ファイル名：" label, as a host
// path; empty when it names none.
std::string NamedFile(const std::string& cp932Text) {
  const AnsiString& label = VN_TEXT("ファイル名：");
  const size_t at = cp932Text.rfind(label);
  if (at == std::string::npos) return {};
  const std::string name = cp932Text.substr(at + label.size(), cp932Text.find('\n', at) - at - label.size());
  return name.empty() ? std::string() : platform::ResolvePath(platform::Cp932ToUtf8(name));
}

}  // namespace

std::string ExplainMessage(const std::string& cp932Text) {
  for (const Explanation& e : kExplanations) {
    if (cp932Text.rfind(platform::Utf8ToCp932(e.utf8Start), 0) != 0) continue;
    const std::string path = e.aboutRanking ? platform::DataDir() + "/" + kScoreFile : NamedFile(cp932Text);
    std::string english = !path.empty() && e.aboutFile ? e.aboutFile : e.otherwise;
    Replace(english, "{path}", path);
    Replace(english, "{folder}", path.substr(0, path.rfind('/')));
    return english;
  }
  // Anything else is in plain English already.
  return {};
}

}  // namespace game
