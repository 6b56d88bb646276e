#include "app/probe/submit.h"

#include <fstream>
#include <iterator>
#include <ostream>

#include "platform/board_client.h"
#include "platform/files.h"
#include "platform/user_dirs.h"

namespace probe {

int SubmitToBoard(const Options& o, std::ostream& out, std::ostream& err) {
  std::ifstream in(o.submit, std::ios::binary);
  const std::vector<uint8_t> replay((std::istreambuf_iterator<char>(in)), {});
  if (!in.good() && !in.eof()) {
    err << "solvara-probe: cannot read " << o.submit << "\n";
    return 2;
  }
  // --home stands in for the state folder that keeps the name's token.
  if (!o.home.empty()) platform::SetHomeDir(o.home);
  const platform::BoardAnswer a = platform::SubmitReplay(o.server, o.name, replay, platform::StateDir());
  using Kind = platform::BoardAnswer::Kind;
  const std::string game = "game " + std::to_string(a.gameId) + platform::SentBefore(a);
  switch (a.kind) {
    case Kind::kAccepted:
      out << game << " accepted: " << a.score << " points, stage " << a.stage;
      if (a.rank) out << ", rank " << a.rank;
      out << "\n";
      break;
    case Kind::kRefused: out << game << " refused: " << a.reason << "\n"; break;
    case Kind::kPending: out << game << " is waiting for verification; ask again later\n"; break;
    case Kind::kRejected: out << "not taken (" << a.status << "): " << a.reason << "\n"; break;
    case Kind::kUnreachable: out << "the board cannot be reached: " << a.reason << "\n"; break;
  }
  if (a.kind != Kind::kRejected && a.kind != Kind::kUnreachable && !a.reason.empty()) err << a.reason << "\n";
  return a.kind == Kind::kAccepted ? 0 : 1;
}

}  // namespace probe
