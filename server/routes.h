#pragma once
// The board's HTTP interface, JSON in and out:
//   POST   /api/games              a replay with the player's name (submission.h); 202 with its id
//   GET    /api/games/ID           pending, accepted (score, stage, ranks) or refused (the reason)
//   GET    /api/games/ID/replay    the replay file
//   GET    /api/ranking            ?limit=&offset=&all=&season= (one best game per player unless all)
//   DELETE /api/players/NAME       with the name's token: the player, the games and the addresses go
//   GET    /healthz
namespace httplib {
class Server;
}

namespace board {

class Board;

void AddRoutes(httplib::Server& server, Board& board);

}  // namespace board
