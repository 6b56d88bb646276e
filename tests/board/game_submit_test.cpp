// The game's side of the shared ranking, against a real board on this
// machine: a replay the runner recorded, sent from the game's form only once
// the settings name a board and the player agreed on the consent page (an
// answer either way kept, a decline until Options changes it); the
// board's answer shown on the menus' notice line; a board that is not there
// answered as unreachable; and a sending under way stopped when the game
// closes.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "game/form.h"
#include "game/records/board_consent.h"
#include "game/records/board_sender.h"
#include "game/screens/menus/online_menu.h"
#include "platform/files.h"
#include "platform/headless/backend.h"
#include "platform/user_dirs.h"
#include "tests/board/board_fixture.h"

namespace board_test {
namespace {

using namespace std::chrono_literals;

// A socket on a free port of 127.0.0.1 that takes connections into its
// backlog and never answers; closed, its port refuses them.
class SilentPort {
 public:
  SilentPort() {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(fd_, reinterpret_cast<sockaddr*>(&address), size);
    listen(fd_, 8);
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size);
    url_ = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
  }
  ~SilentPort() { Close(); }
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }
  const std::string& Url() const { return url_; }

 private:
  int fd_ = -1;
  std::string url_;
};

class GameSubmit : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ClearFolderMaps();
    platform::SetHomeDir(folder_.path().string());
    platform::MapFolder("bmp", kBuild + "/bmp");
    platform::MapFolder("sound", kBuild + "/sound");
    form_ = std::make_unique<game::TForm1>(nullptr);
    form_->board.sender = std::make_unique<game::BoardSender>();
    form_->ShowMenu(game::kTitleMenu);
  }
  void TearDown() override {
    form_.reset();
    platform::ClearFolderMaps();
  }

  // Frames until the board's answer is on the notice line.
  std::string Answer() {
    for (auto end = std::chrono::steady_clock::now() + 120s;
         form_->board.sender->Busy() && std::chrono::steady_clock::now() < end;)
      if (backend_.app.Step()) std::this_thread::sleep_for(10ms);
    return form_->menus.notice;
  }
  std::string Page() const { return form_->menus.Page().name; }

  TempFolder folder_{"game_submit"};
  platform::headless::Backend backend_;
  std::unique_ptr<game::TForm1> form_;
};

TEST_F(GameSubmit, SendsOnlyWhenSetAndAgreedAndShowsTheAnswer) {
  const Recorded& recorded = Recorded::Get();
  ASSERT_FALSE(recorded.games.empty());
  BoardProcess board(folder_.path(), {"--data", (folder_.path() / "data").string()});
  ASSERT_TRUE(board.Started()) << board.Log();
  SilentPort closed;
  closed.Close();
  const fs::path notReplay = folder_.path() / "notes.rpl";
  std::ofstream(notReplay) << "not a replay";
  const std::string game = recorded.games[0].file.string();
  const std::string score = std::to_string(recorded.games[0].score);
  const std::string consentFile = platform::StateDir() + "/" + game::kBoardConsentFile;

  enum class Then { kNothing, kAgree, kDecline, kAskAgain };
  using game::Consent;
  const struct {
    const char* what;
    std::string server, name, file;
    Then then;
    Consent kept;      // for the server afterwards
    std::string says;  // the notice begins so, once any answer is in
  } steps[] = {
      {"nothing set", "", "", game, Then::kNothing, Consent::kUnasked,
       "To send games to a shared ranking, set the server and your name in Options > Online."},
      {"no name", board.Url(), "", game, Then::kNothing, Consent::kUnasked, "To send games to a shared ranking"},
      {"not a replay", board.Url(), "Ace", notReplay.string(), Then::kNothing, Consent::kUnasked,
       "Cannot send " + notReplay.string()},
      {"declined", board.Url(), "Ace", game, Then::kDecline, Consent::kDeclined, "Nothing was sent, and nothing will be"},
      {"declined before: not asked again", board.Url(), "Ace", game, Then::kNothing, Consent::kDeclined,
       "You chose not to send games to " + board.Url() + ": to send this one, change SENDING in Options > Online."},
      // SENDING set back to ASK FIRST in Options > Online.
      {"asked again", board.Url(), "Ace", game, Then::kAskAgain, Consent::kUnasked, ""},
      {"agreed", board.Url(), "Ace", game, Then::kAgree, Consent::kAgreed,
       "The game is ranked on " + board.Url() + ": " + score + " points, stage 1, rank 1"},
      {"agreed before", board.Url(), "Ace", game, Then::kNothing, Consent::kAgreed,
       "The game (sent before, under Ace) is ranked on " + board.Url() + ": " + score + " points, stage 1, rank 1"},
      {"no board there", closed.Url(), "Ace", game, Then::kAgree, Consent::kAgreed, closed.Url() + " cannot be reached: "},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    form_->playerSettings.onlineServer = step.server;
    form_->playerSettings.onlineName = step.name;
    if (step.then == Then::kAskAgain) {
      std::string error;
      ASSERT_TRUE(game::KeepConsent(platform::StateDir(), step.server, Consent::kUnasked, error)) << error;
      EXPECT_EQ(game::ConsentFor(platform::StateDir(), step.server), step.kept);
      continue;
    }
    game::SubmitReplayFile(*form_, step.file);
    if (step.then != Then::kNothing) {
      // Nothing goes before the player answers the page.
      ASSERT_EQ(Page(), "online");
      EXPECT_FALSE(form_->board.sender->Busy());
      const bool agree = step.then == Then::kAgree;
      form_->menus.Move(agree ? -1 : 0);  // from DECLINE
      form_->menus.Entry().choose(*form_, 0);
    }
    EXPECT_EQ(Page(), "title");
    EXPECT_EQ(Answer().rfind(step.says, 0), 0u) << form_->menus.notice;
    EXPECT_EQ(game::ConsentFor(platform::StateDir(), step.server), step.kept);
  }
  std::ifstream consent(consentFile);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(consent), {}), board.Url() + "\n" + closed.Url() + "\n");
}

// Closing the game while a board has not answered yet does not wait for it.
TEST_F(GameSubmit, ClosingStopsASendingUnderWay) {
  const Recorded& recorded = Recorded::Get();
  ASSERT_FALSE(recorded.games.empty());
  SilentPort silent;
  std::string error;
  ASSERT_TRUE(game::KeepConsent(platform::StateDir(), silent.Url(), game::Consent::kAgreed, error)) << error;
  form_->playerSettings.onlineServer = silent.Url();
  form_->playerSettings.onlineName = "Ace";
  game::SubmitReplayFile(*form_, recorded.games[0].file.string());
  ASSERT_TRUE(form_->board.sender->Busy()) << form_->menus.notice;
  std::this_thread::sleep_for(200ms);
  const auto start = std::chrono::steady_clock::now();
  form_->board.sender.reset();
  // The request alone would wait 20 s for an answer.
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

}  // namespace
}  // namespace board_test
