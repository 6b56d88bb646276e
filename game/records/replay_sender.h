#pragma once
// Sending a replay to a shared-ranking board, as the game sees it: started
// on the main thread and answered there later, while the game plays on.
// The program that may send games installs the board's client
// (board_sender.h) in the form; a program without it (the verifier) sends
// nothing and links no network library.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/records/board_consent.h"
#include "platform/board_client.h"

namespace game {

struct SendRequest {
  std::string server;
  std::string name;
  std::vector<uint8_t> replay;
  std::string stateDir;  // keeps the name's token
};

class ReplaySender {
 public:
  using Answered = std::function<void(const platform::BoardAnswer&)>;
  virtual ~ReplaySender() = default;
  // Starts sending and returns at once; `answered` runs later on the main
  // thread (from its message loop) with the board's answer. False, and
  // nothing sent, while an earlier replay is still being sent.
  virtual bool Send(SendRequest request, Answered answered) = 0;
  virtual bool Busy() const = 0;
};

// The form's way to a board.
struct BoardLink {
  std::unique_ptr<ReplaySender> sender;  // null: this program sends nothing
  // A replay file the player chose to send before agreeing to send games to
  // the board: sent once they agree, forgotten if they decline.
  std::string awaitingConsent;
  // The last answer, as the player read it (empty: none yet).
  std::string lastAnswer;
  // What Options > Online shows of the state folder, read when its page
  // opens and after each change there: the answer kept for the board set,
  // and whether a token is kept for the name on it.
  Consent consent = Consent::kUnasked;
  bool tokenKept = false;
};

}  // namespace game
