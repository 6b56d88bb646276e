#include "game/screens/explain.h"

#include "game/form.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/user_dirs.h"
#include "vantor/system/text.h"

namespace game {
namespace {

// What a text is about: a library failure, the ranking, or the ranking when
// this run leaves it as it is (it could not be read at start-up).
enum class Subject { kLibrary, kRanking, kRankingLeftAlone };

// The start of a text, and what to say about it: {path} is the file the
// text is about (the ranking's, or the one a library failure names),
// {folder} its folder, {reason} why the ranking is left alone. A library
// failure that names a file has an explanation of its own.
struct Explanation {
  const char* utf8Start;
  Subject subject;
  const char* aboutFile;
  const char* otherwise;
};
constexpr Explanation kExplanations[] = {
    {"スコア記録ファイルを作成します。", Subject::kRankingLeftAlone, nullptr,
     "The ranking {path} cannot be read ({reason}): it is left as it is, and this run's scores are not saved."},
    {"スコア記録ファイルを作成します。", Subject::kRanking, nullptr,
     "No ranking was found in {folder}: a new one starts, saved there when you quit."},
    {"score.dat へのアクセスに失敗しました。", Subject::kRankingLeftAlone, nullptr,
     "The ranking {path} is left as it is ({reason}): this run's scores are not saved."},
    {"score.dat へのアクセスに失敗しました。", Subject::kRanking, nullptr,
     "The ranking could not be saved as {path}: check that its folder exists and that you may write there."},
    {"TVantorDraw(Ex)Surface エラー", Subject::kLibrary,
     "The picture {path} is missing or damaged: reinstall the game, or build it again, so that {folder} holds "
     "every picture.",
     "A picture could not be prepared: the computer may be short of memory."},
    {"TVantorDraw(Ex) エラー", Subject::kLibrary, nullptr,
     "The display could not be set up: check that the desktop is running."},
    {"TVantorSoundBuffer エラー", Subject::kLibrary,
     "The sound effect {path} is missing or damaged: reinstall the game, or build it again, so that {folder} "
     "holds every sound.",
     "A sound effect could not be prepared: the computer may be short of memory."},
    {"TVantorSound エラー", Subject::kLibrary, nullptr,
     "The sound effects could not be started: check the desktop's sound settings."},
    {"TVantorMidi エラー", Subject::kLibrary,
     "The song {path} is missing or damaged: reinstall the game, or build it again, so that {folder} holds "
     "every song.",
     "The music could not be started."},
    {"TVantorInput エラー", Subject::kLibrary, nullptr, "The keyboard or the pad could not be opened."},
    {"TVantorAutoPtr エラー", Subject::kLibrary, nullptr, "Something inside the game failed: the text above says what."},
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

std::string ExplainMessage(const std::string& cp932Text, const std::string& rankingLeftAlone) {
  for (const Explanation& e : kExplanations) {
    if (cp932Text.rfind(platform::Utf8ToCp932(e.utf8Start), 0) != 0) continue;
    if (e.subject == Subject::kRankingLeftAlone && rankingLeftAlone.empty()) continue;
    const std::string path = e.subject != Subject::kLibrary ? platform::DataDir() + "/" + kScoreFile
                                                            : NamedFile(cp932Text);
    std::string english = !path.empty() && e.aboutFile ? e.aboutFile : e.otherwise;
    Replace(english, "{path}", path);
    Replace(english, "{folder}", path.substr(0, path.rfind('/')));
    Replace(english, "{reason}", rankingLeftAlone);
    return english;
  }
  // Anything else is in plain English already.
  return {};
}

}  // namespace game
