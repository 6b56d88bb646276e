#pragma once
// The board's web pages, rendered on the server, without JavaScript:
//   /                 the ranking: ?page=&all=&season=
//   /players/NAME     a player's games
namespace httplib {
class Server;
}

namespace board {

class Board;

void AddPages(httplib::Server& server, Board& board);

}  // namespace board
