// solvara-board: the shared ranking's HTTP service, and the operator's
// commands on its database (see solvara-board.8).
#include <CLI/CLI.hpp>
#include <httplib.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>

#include "app/command_line.h"
#include "platform/board_rules.h"
#include "platform/files.h"
#include "server/board.h"
#include "server/http_server.h"
#include "server/migrations.h"
#include "server/pages.h"
#include "server/players.h"
#include "server/routes.h"

namespace {

struct Options {
  std::string listen = "127.0.0.1:8642";
  std::string data;
  std::string postgres;
  int threads = 64;
  int timeout = 10;
  int connections = 1024;
  int perAddress = 32;
  board::BoardSettings board;
  // Operator commands.
  std::string command;
  int64_t id = 0;
  std::string name, newName, file;
};

// The default data folder: $XDG_DATA_HOME/solvara-board, else ~/.local/share/solvara-board.
std::string DefaultDataFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/solvara-board";
  const char* home = std::getenv("HOME");
  return std::string(home && home[0] ? home : ".") + "/.local/share/solvara-board";
}

int ParseOptions(int argc, char** argv, Options& o) {
  CLI::App app("The shared ranking of SOLVARA 2001: games submitted as replays, verified by playing them again, "
               "ranked, and shown on a web page.",
               "solvara-board");
  command_line::Prepare(app, SOLVARA_VERSION);
  const CLI::Validator& given = command_line::NotEmpty();
  auto* data = app.add_option("--data", o.data, "folder of the SQLite database (default ~/.local/share/solvara-board)")
                   ->type_name("DIR")
                   ->check(given);
  app.add_option("--postgres", o.postgres, "PostgreSQL database instead (a libpq URL or connection string)")
      ->type_name("URL")
      ->check(given)
      ->excludes(data);
  app.add_option("--listen", o.listen, "address and port (default 127.0.0.1:8642)")->type_name("ADDR:PORT");
  app.add_option("--verifier", o.board.verifier.program, "the solvara-verify program (default: beside this one)")
      ->type_name("FILE")
      ->check(given);
  app.add_option("--assets", o.board.verifier.assets, "the game's assets for the verifier (default: its own)")
      ->type_name("DIR")
      ->check(given);
  app.add_option("--verifiers", o.board.verifier.processes, "verifier processes at once (default 2)")
      ->type_name("N")
      ->check(CLI::Range(1, 64).description(""));
  app.add_option("--queue", o.board.limits.queueBound, "games waiting for verification at most (default 64)")
      ->type_name("N")
      ->check(CLI::Range(int64_t{1}, int64_t{100000}).description(""));
  app.add_option("--frames-per-hour", o.board.limits.framesPerHourByName,
                 "frames verified per hour for one name and for one address (default 500000)")
      ->type_name("N")
      ->check(CLI::Range(int64_t{1000}, int64_t{1000000000}).description(""));
  app.add_option("--lease", o.board.verifier.leaseSeconds, "seconds a verifier holds a job between renewals (default 30)")
      ->type_name("S")
      ->check(CLI::Range(int64_t{5}, int64_t{3600}).description(""));
  app.add_option("--trusted-proxy", o.board.trustedProxy,
                 "address of the TLS proxy in front, whose X-Forwarded-For is believed")
      ->type_name("ADDR")
      ->check(given);
  app.add_option("--threads", o.threads, "requests handled at once (default 64)")
      ->type_name("N")
      ->check(CLI::Range(4, 1024).description(""));
  app.add_option("--timeout", o.timeout,
                 "seconds a client has to send a request's head, and may stay silent while sending a body or "
                 "reading (default 10)")
      ->type_name("S")
      ->check(CLI::Range(1, 300).description(""));
  app.add_option("--connections", o.connections, "connections open at once (default 1024)")
      ->type_name("N")
      ->check(CLI::Range(16, 1000000).description(""));
  app.add_option("--connections-per-address", o.perAddress,
                 "connections open at once from one address, but the trusted proxy's (default 32)")
      ->type_name("N")
      ->check(CLI::Range(1, 1000000).description(""));

  auto* hide = app.add_subcommand("hide", "hide a game from the ranking and the pages");
  hide->add_option("ID", o.id, "the game")->required();
  auto* show = app.add_subcommand("show", "show a hidden game again");
  show->add_option("ID", o.id, "the game")->required();
  auto* rename = app.add_subcommand("rename", "rename a player");
  rename->add_option("NAME", o.name, "the player")->required();
  rename->add_option("NEW", o.newName, "the new name")->required();
  auto* ban = app.add_subcommand("ban", "ban a player: no more submissions, the games hidden");
  ban->add_option("NAME", o.name, "the player")->required();
  auto* unban = app.add_subcommand("unban", "lift a ban");
  unban->add_option("NAME", o.name, "the player")->required();
  auto* backup = app.add_subcommand("backup", "copy the database while the board runs (SQLite: VACUUM INTO; "
                                              "PostgreSQL: pg_dump, custom format)");
  backup->add_option("FILE", o.file, "the copy (must not exist)")->required();
  app.require_subcommand(0, 1);
  app.footer("Exit status: 0 done; 1 the database or the listening address cannot be used, or the game or player "
             "named does not exist; 2 a bad command line.");
  const int status = command_line::Parse(app, argc, argv, std::cout, std::cerr);
  for (CLI::App* sub : app.get_subcommands()) o.command = sub->get_name();
  if (o.board.verifier.program.empty()) {
    // Beside the board in the build, else where it is installed.
    o.board.verifier.program = platform::ProgramDir() + "/solvara-verify";
    if (access(o.board.verifier.program.c_str(), X_OK) != 0)
      o.board.verifier.program = platform::ProgramDir() + "/" SOLVARA_VERIFY_FROM_SBINDIR;
  }
  o.board.limits.framesPerHourByAddress = o.board.limits.framesPerHourByName;
  if (o.postgres.empty() && o.data.empty()) o.data = DefaultDataFolder();
  return status;
}

// Each connection is a file descriptor; the database, the verifiers' pipes
// and the log take some more. The soft limit is raised as far as the hard one
// allows, and the connections are fewer when that is not enough.
size_t ConnectionsTheFilesAllow(size_t connections, size_t threads) {
  const rlim_t others = 4 * threads + 64;
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) != 0) return connections;
  if (files.rlim_cur != RLIM_INFINITY && files.rlim_cur < connections + others) {
    files.rlim_cur =
        files.rlim_max == RLIM_INFINITY ? connections + others : std::min(connections + others, files.rlim_max);
    setrlimit(RLIMIT_NOFILE, &files);
    getrlimit(RLIMIT_NOFILE, &files);
  }
  if (files.rlim_cur == RLIM_INFINITY || files.rlim_cur >= connections + others) return connections;
  const size_t allowed = files.rlim_cur > others + 16 ? files.rlim_cur - others : 16;
  std::cerr << "solvara-board: " << allowed << " connections at once, as the limit of open files allows\n";
  return allowed;
}

int Fail(const std::string& what) {
  std::cerr << "solvara-board: " << what << "\n";
  return 1;
}

int Operate(board::Database& db, const Options& o) {
  board::Store store(db);
  const std::string key = platform::BoardNameKey(o.name);
  if (o.command == "hide" || o.command == "show")
    return store.HideGame(o.id, o.command == "hide") ? 0 : Fail("no game " + std::to_string(o.id));
  if (o.command == "ban" || o.command == "unban")
    return store.BanPlayer(key, o.command == "ban") ? 0 : Fail("no player " + o.name);
  if (o.command == "rename") {
    if (std::string why = platform::BoardNameRefusal(o.newName); !why.empty()) return Fail(o.newName + ": " + why);
    return store.RenamePlayer(key, o.newName, platform::BoardNameKey(o.newName))
               ? 0
               : Fail("no player " + o.name + ", or " + o.newName + " is taken");
  }
  db.Backup(o.file);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (const int status = ParseOptions(argc, argv, o); status != command_line::kRun) return status;
  signal(SIGPIPE, SIG_IGN);
  // SIGTERM and SIGINT end the service cleanly (below): blocked before any
  // thread starts, so only the thread waiting for them takes them.
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGTERM);
  sigaddset(&stops, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stops, nullptr);
  std::unique_ptr<board::Database> db;
  try {
    const int connections = o.board.verifier.processes + 8;
    db = o.postgres.empty() ? board::OpenSqlite(o.data, connections) : board::OpenPostgres(o.postgres, connections);
    board::Migrate(*db);
    if (!o.command.empty()) return Operate(*db, o);
  } catch (const std::exception& e) {
    return Fail(e.what());
  }

  const size_t colon = o.listen.rfind(':');
  const int port = colon == std::string::npos ? -1 : std::atoi(o.listen.c_str() + colon + 1);
  if (colon == std::string::npos || port < 0 || port > 65535) return Fail("--listen needs ADDR:PORT, not " + o.listen);
  std::string host = o.listen.substr(0, colon);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);

  board::Board service(*db, o.board);
  board::ConnectionLimits limits;
  limits.threads = static_cast<size_t>(o.threads);
  limits.head = limits.silence = std::chrono::seconds(o.timeout);
  limits.connections = ConnectionsTheFilesAllow(static_cast<size_t>(o.connections), limits.threads);
  limits.perAddress = static_cast<size_t>(o.perAddress);
  limits.trustedProxy = o.board.trustedProxy;
  board::HttpServer server(limits);
  // The library listens with a backlog of 5: a burst of new connections (a
  // load test, a page shared at once) overflowed it, and each dropped one
  // waited a second for TCP to send again. The socket is noted here so it can
  // listen again with the system's backlog once bound (Linux takes a second
  // listen() as the new backlog). The library's own option, SO_REUSEPORT,
  // let a second board bind a port in use and take half its connections:
  // SO_REUSEADDR alone still lets a board restart at once on its port.
  int listening = -1;
  server.set_socket_options([&listening](socket_t sock) {
    const int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    listening = sock;
  });
  board::AddRoutes(server, service);
  board::AddPages(server, service);
  // Port 0: any free port, said below.
  const int bound = port == 0 ? server.bind_to_any_port(host) : (server.bind_to_port(host, port) ? port : -1);
  if (bound <= 0) return Fail("cannot listen on " + o.listen);
  if (::listen(listening, SOMAXCONN) != 0)
    std::cerr << "solvara-board: new connections queue 5 at most: " << std::strerror(errno) << "\n";
  std::cerr << "solvara-board: listening on http://" << o.listen.substr(0, colon) << ":" << bound << "/ with "
            << (o.postgres.empty() ? "SQLite in " + o.data : std::string("PostgreSQL")) << "\n";
  // Requests in progress are answered; a verification in progress goes back
  // to the queue when its lease runs out.
  std::thread waiter([&] {
    int received = 0;
    sigwait(&stops, &received);
    server.stop();
  });
  server.Serve();
  pthread_kill(waiter.native_handle(), SIGTERM);
  waiter.join();
  return 0;
}
