#pragma once
// The board's HTTP connections, with deadlines the HTTP library cannot set.
//
// The library serves each connection on a thread of its pool for the
// connection's whole life, and bounds only each single read: a client that
// sends one byte of its request every few seconds holds a thread for ever,
// and as many such clients as threads stop the board. Its reads of a chunked
// or unsized body, and of a compressed one, have no bound at all.
//
// So the library keeps its parsing, routing and answers, and this class owns
// the connections (it overrides the library's per-connection entry point):
//  - One watcher thread holds every connection that is waiting for a request:
//    a new one, and a kept-alive one between requests. It reads without
//    blocking until the request's head (its line and header fields, up to the
//    blank line) is whole; only then does a worker thread take the
//    connection. A waiting connection costs a socket and its bytes so far,
//    no thread.
//  - The head must be whole within `head` of the connection's start, or of
//    its first byte on a kept-alive connection; it may be `headMax` bytes
//    long (431 past that). A connection that misses its deadline is answered
//    408 and closed.
//  - The worker reads the body through a stream of this class's own: its
//    bytes must come at `bodyRate` at least, counted from when the worker
//    starts on it with `silence` to spare (byte n is due `silence` +
//    n / `bodyRate` after the start), and no wait may be longer than
//    `silence`; else the answer is 408 and the connection is closed. Nothing
//    of one request is read past its head plus `bodyMax`.
//  - A body must come with a Content-Length no larger than `bodyMax`: a
//    transfer coding (chunked) or a missing length is answered 411, a larger
//    length 413, a compressed body (Content-Encoding) 415, all before a byte
//    of it is read. (The board's own client never chunks or compresses.)
//  - An answer that leaves a request unread (408, 411, 413, 415, 431) shuts
//    the sending side and reads what still comes for `linger` (and a few
//    MiB), so the client sees the answer rather than a reset.
//  - A kept-alive connection is idle between requests; it is closed after
//    `keepAlive`.
//  - At most `connections` are open at once and `perAddress` from one peer
//    address, but for the trusted proxy (every client behind it shares its
//    address). A connection past either bound makes room in the same scope:
//    it closes one whose client has gone unseen, else the one closing the
//    longest, else the one idle the longest; when there is none it is
//    answered 503 and closed.
//  - Told to stop, the board answers the requests it has received and waits
//    for no body (503).
#include <httplib.h>

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace board {

struct ConnectionLimits {
  size_t threads = 64;  // requests handled at once
  std::chrono::milliseconds head{10000};
  std::chrono::milliseconds silence{10000};
  size_t bodyRate = 8192;  // bytes a second
  std::chrono::milliseconds keepAlive{5000};
  std::chrono::milliseconds linger{2000};
  size_t connections = 1024;
  size_t perAddress = 32;
  std::string trustedProxy;
  size_t headMax = 16 * 1024;
  size_t bodyMax = 1536 * 1024;  // the largest replay in base64 with its name: about 1.4 MB
};

// Why a request's body is refused before it is read: a status and a reason.
struct Refusal {
  int status;
  std::string reason;
};
std::optional<Refusal> BodyRefusal(const httplib::Request& req, size_t bodyMax);

class HttpServer : public httplib::Server {
 public:
  explicit HttpServer(ConnectionLimits limits);
  ~HttpServer() override;
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Serves on the bound socket until stop(); requests being handled then are
  // answered first.
  bool Serve();

 private:
  class Connections;
  // Called by the library's accepting loop for each new connection.
  bool process_and_close_socket(socket_t sock) override;

  std::unique_ptr<Connections> connections_;
};

}  // namespace board
