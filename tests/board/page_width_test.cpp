// The board's pages in headless Chromium at a phone's widths and a
// desktop's: none is wider than its window, with the widest name a player
// can have and a refusal's reason among the rows. Each page is laid out in a
// frame of the width (as a phone lays out a page whose viewport is
// width=device-width); a script of the test writes each frame's widths into
// the title, which --dump-dom prints: no DevTools needed.
#include <gtest/gtest.h>
#include <httplib.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/board_client.h"
#include "server/html.h"
#include "tests/board/board_fixture.h"

namespace board_test {
namespace {

constexpr int kWidths[] = {360, 390, 1280};

// Chromium's output, the DOM of `page` once loaded.
std::string DumpDom(const fs::path& folder, const fs::path& page) {
  const std::string command =
      "timeout 60 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
      "--disable-background-networking --disable-component-update --disable-sync --hide-scrollbars "
      "--user-data-dir=" +
      (folder / "chromium").string() + " --window-size=1400,900 --dump-dom file://" + page.string() + " 2>/dev/null";
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char bytes[4096];
    for (size_t n; (n = fread(bytes, 1, sizeof bytes, pipe)) > 0;) out.append(bytes, n);
    pclose(pipe);
  }
  return out;
}

TEST(BoardPages, FitAPhoneFrom360PixelsAndADesktop) {
  const Recorded& recorded = Recorded::Get();
  ASSERT_FALSE(recorded.games.empty());
  TempFolder folder("pages");
  BoardProcess board(folder.path(), {"--data", (folder.path() / "data").string()});
  ASSERT_TRUE(board.Started()) << board.Log();
  // The widest name there is, an accepted game and a refused one.
  const std::string name(16, 'W');
  const std::string state = (folder.path() / "state").string();
  const auto accepted = platform::SubmitReplay(board.Url(), name, ReadBytes(recorded.games[0].file), state);
  ASSERT_EQ(accepted.kind, platform::BoardAnswer::Kind::kAccepted) << accepted.reason;
  const auto refused = platform::SubmitReplay(board.Url(), name, ShortReplay(recorded.games[0].file, 40), state);
  ASSERT_EQ(refused.kind, platform::BoardAnswer::Kind::kRefused) << refused.reason;

  auto client = board.Client();
  const std::string paths[] = {"/", "/?all=1", "/players/" + name};
  std::string frames;
  std::vector<std::string> names;
  for (const std::string& path : paths) {
    const auto page = client->Get(path);
    ASSERT_TRUE(page && page->status == 200) << path;
    EXPECT_NE(page->body.find("solvara FILE.rpl"), std::string::npos) << path << ": how to watch a replay";
    for (int width : kWidths) {
      frames += "<iframe style=\"border:0;width:" + std::to_string(width) + "px;height:800px\" srcdoc=\"" +
                board::HtmlEscape(page->body) + "\"></iframe>\n";
      names.push_back(path + " at " + std::to_string(width));
    }
  }
  const fs::path wrapper = folder.path() / "pages.html";
  std::ofstream(wrapper) << "<!DOCTYPE html><html><head><title>not measured</title></head><body>\n"
                         << frames
                         << "<script>window.onload = function () { document.title = Array.from("
                            "document.querySelectorAll('iframe'), function (f) { var d = "
                            "f.contentDocument.documentElement; return d.scrollWidth + ' ' + d.clientWidth; })"
                            ".join(' '); };</script></body></html>\n";
  const std::string dom = DumpDom(folder.path(), wrapper);
  const size_t title = dom.find("<title>");
  ASSERT_NE(title, std::string::npos) << "chromium (Debian package chromium) printed no page:\n" << dom.substr(0, 500);
  std::istringstream measured(dom.substr(title + 7, dom.find("</title>") - title - 7));
  for (size_t i = 0; i < names.size(); ++i) {
    int scroll = 0, client = 0;
    ASSERT_TRUE(measured >> scroll >> client) << names[i] << ": " << dom.substr(title, 200);
    EXPECT_EQ(client, kWidths[i % std::size(kWidths)]) << names[i];
    EXPECT_LE(scroll, client) << names[i] << " scrolls sideways";
  }
}

}  // namespace
}  // namespace board_test
