// The board's connections as a client meets them on the wire: bodies that
// would be read without a bound are refused unread, a head or a body too slow
// is answered 408 while others are served, kept-alive and pipelined requests
// are answered in order, and the bounds on connections close idle ones first.
// The server runs in this process with short deadlines and two pages.
#include "server/http_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace board {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class Served {
 public:
  explicit Served(const ConnectionLimits& limits) : server_(limits) {
    server_.Get("/ok", [](const httplib::Request&, httplib::Response& res) { res.set_content("ok", "text/plain"); });
    server_.Post("/echo", [](const httplib::Request& req, httplib::Response& res) {
      res.set_content("length " + std::to_string(req.body.size()), "text/plain");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.Serve(); });
    while (!server_.is_running()) std::this_thread::sleep_for(1ms);
  }
  ~Served() {
    server_.stop();
    thread_.join();
  }
  int port() const { return port_; }

 private:
  HttpServer server_;
  int port_ = 0;
  std::thread thread_;
};

// A connection from `from` (any 127.x address is this machine's).
class Client {
 public:
  Client(const Served& served, const char* from = "127.0.0.1") : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, from, &local.sin_addr);
    bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(served.port()));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
  }
  ~Client() { close(fd_); }
  bool connected() const { return connected_; }

  bool Send(const std::string& bytes) {
    return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
  }

  // What arrives until the server closes, `until` has arrived or `wait`
  // passes; `closed` says whether the server closed.
  std::string Receive(std::chrono::milliseconds wait, bool* closed = nullptr, std::string_view until = {}) {
    std::string got;
    const auto end = Clock::now() + wait;
    bool eof = false;
    for (pollfd p{fd_, POLLIN, 0}; !eof && (until.empty() || got.find(until) == std::string::npos);) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
      if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
      char bytes[65536];
      const ssize_t n = recv(fd_, bytes, sizeof bytes, 0);
      if (n > 0) got.append(bytes, static_cast<size_t>(n));
      else eof = true;
    }
    if (closed) *closed = eof;
    return got;
  }

 private:
  int fd_;
  bool connected_ = false;
};

constexpr std::string_view kHeadEnd = "\r\n\r\n";

int Status(const std::string& answer) { return answer.rfind("HTTP/1.1 ", 0) == 0 ? std::atoi(answer.c_str() + 9) : 0; }

ConnectionLimits Short() {
  ConnectionLimits l;
  l.threads = 4;
  l.head = l.silence = 400ms;
  l.keepAlive = 300ms;
  l.linger = 300ms;
  l.bodyMax = 64 * 1024;
  return l;
}

TEST(HttpServer, BodiesWithoutABoundAreRefusedUnread) {
  Served served(Short());
  const std::string post = "POST /echo HTTP/1.1\r\nHost: board\r\n";
  const struct {
    const char* what;
    std::string request;
    int status;
    std::string says;
  } cases[] = {
      {"a body with its length", post + "Content-Length: 5\r\n\r\nhello", 200, "length 5"},
      {"a chunked body", post + "Transfer-Encoding: chunked\r\n\r\n10000\r\n" + std::string(0x10000, 'a'), 411,
       "chunked bodies are not taken"},
      {"a body without a length", post + "\r\n" + std::string(1000, 'a'), 411, "needs its Content-Length"},
      {"a length past the bound, the body not sent", post + "Content-Length: 2000000\r\n\r\n", 413, "64 KiB at most"},
      {"a length past the bound, asking first", post + "Content-Length: 2000000\r\nExpect: 100-continue\r\n\r\n", 413,
       "64 KiB at most"},
      {"a compressed body", post + "Content-Length: 4\r\nContent-Encoding: gzip\r\n\r\nabcd", 415, "compressed"},
      {"two lengths", post + "Content-Length: 4\r\nContent-Length: 900\r\n\r\nabcd", 400, "given twice"},
      {"a length that is not a number", post + "Content-Length: 4x\r\n\r\nabcd", 400, "not a number"},
      {"a head past 16 KiB", "GET /ok HTTP/1.1\r\n" + std::string(17 * 1024, 'a'), 431, "longer than 16 KiB"},
  };
  for (const auto& c : cases) {
    Client client(served);
    ASSERT_TRUE(client.connected());
    ASSERT_TRUE(client.Send(c.request)) << c.what;
    bool closed = false;
    const std::string answer = client.Receive(3s, &closed, c.status == 200 ? c.says : "");
    EXPECT_EQ(Status(answer), c.status) << c.what << ": " << answer;
    EXPECT_NE(answer.find(c.says), std::string::npos) << c.what << ": " << answer;
    // A refused body is never read as the next request: the connection
    // closes; an answered one stays open.
    EXPECT_EQ(closed, c.status != 200) << c.what;
  }
}

TEST(HttpServer, AHeadOrABodyTooSlowIsAnswered408WhileOthersAreServed) {
  Served served(Short());  // the head in 400 ms; a body at 8 KiB/s after 400 ms
  Client slowHead(served);
  ASSERT_TRUE(slowHead.Send("GET /ok HTTP/1.1\r\n"));
  const auto start = Clock::now();
  std::string answer;
  bool closed = false;
  for (int line = 0; line < 30 && answer.empty(); ++line) {
    slowHead.Send("X-Line: " + std::to_string(line) + "\r\n");
    Client other(served);
    other.Send("GET /ok HTTP/1.1\r\nHost: board\r\n\r\n");
    EXPECT_EQ(Status(other.Receive(2s, nullptr, kHeadEnd)), 200) << line;
    answer = slowHead.Receive(100ms, &closed);
  }
  if (!closed) slowHead.Receive(1s, &closed);
  EXPECT_EQ(Status(answer), 408) << answer;
  EXPECT_TRUE(closed);
  EXPECT_LT(Clock::now() - start, 1500ms);

  // 5 KiB/s falls behind 8 KiB/s after the start's 400 ms (at about 1.1 s);
  // 32 KiB/s keeps ahead.
  const struct {
    size_t piece;
    int status;
  } bodies[] = {{512, 408}, {4096, 200}};
  for (const auto& b : bodies) {
    Client client(served);
    const size_t length = 32 * 1024;
    ASSERT_TRUE(client.Send("POST /echo HTTP/1.1\r\nHost: board\r\nContent-Length: " + std::to_string(length) +
                            "\r\n\r\n"));
    std::string got;
    for (size_t sent = 0; sent < length && got.empty(); sent += b.piece) {
      client.Send(std::string(b.piece, 'a'));
      got = client.Receive(100ms);
    }
    if (got.empty()) got = client.Receive(1s, nullptr, kHeadEnd);
    EXPECT_EQ(Status(got), b.status) << b.piece << " bytes a tenth of a second: " << got;
  }
}

TEST(HttpServer, KeptAliveAndPipelinedRequestsAreAnsweredInOrder) {
  Served served(Short());
  Client client(served);
  ASSERT_TRUE(client.Send("GET /ok HTTP/1.1\r\nHost: board\r\n\r\nPOST /echo HTTP/1.1\r\nHost: board\r\n"
                          "Content-Length: 3\r\n\r\nabcPOST /echo HTTP/1.1\r\nHost: board\r\n"
                          "Content-Length: 5\r\n\r\nabcde"));
  const std::string answers = client.Receive(1s, nullptr, "length 5");
  const size_t first = answers.find("\r\n\r\nok"), second = answers.find("length 3"), third = answers.find("length 5");
  EXPECT_TRUE(first != std::string::npos && second != std::string::npos && third != std::string::npos &&
              first < second && second < third)
      << answers;
  // Then on the same connection, until it has been idle too long.
  ASSERT_TRUE(client.Send("GET /ok HTTP/1.1\r\nHost: board\r\n\r\n"));
  EXPECT_EQ(Status(client.Receive(1s, nullptr, "\r\n\r\nok")), 200);
  bool closed = false;
  const auto idle = Clock::now();
  EXPECT_EQ(client.Receive(2s, &closed), "");
  EXPECT_TRUE(closed);
  EXPECT_GE(Clock::now() - idle, 250ms);
}

TEST(HttpServer, ConnectionBoundsCloseIdleConnectionsFirstAndSpareTheTrustedProxy) {
  ConnectionLimits limits = Short();
  limits.head = limits.keepAlive = 5s;
  limits.connections = 6;
  limits.perAddress = 2;
  limits.trustedProxy = "127.0.0.9";
  Served served(limits);
  const std::string request = "GET /ok HTTP/1.1\r\nHost: board\r\n\r\n";
  const std::string headStart = "GET /ok HTTP/1.1\r\n";  // a head not yet whole: busy
  const auto kept = [&](Client& c) {
    c.Send(request);
    EXPECT_EQ(Status(c.Receive(1s, nullptr, kHeadEnd)), 200);
    std::this_thread::sleep_for(50ms);  // the server files it as idle
  };
  const auto closedNow = [](Client& c) {
    bool closed = false;
    c.Receive(1s, &closed);
    return closed;
  };
  // From one address: two kept alive and idle; two busy ones close them,
  // the older first; a third busy one is refused.
  Client idle1(served, "127.0.0.2"), idle2(served, "127.0.0.2");
  kept(idle1);
  kept(idle2);
  Client busy1(served, "127.0.0.2");
  busy1.Send(headStart);
  EXPECT_TRUE(closedNow(idle1));
  Client busy2(served, "127.0.0.2");
  busy2.Send(headStart);
  EXPECT_TRUE(closedNow(idle2));
  Client refused(served, "127.0.0.2");
  refused.Send(request);
  bool closed = false;
  std::string answer = refused.Receive(1s, &closed);
  EXPECT_EQ(Status(answer), 503) << answer;
  EXPECT_NE(answer.find("from this address"), std::string::npos) << answer;
  EXPECT_TRUE(closed);
  // The trusted proxy has no bound of its own. Two busy, one idle and three
  // from the proxy fill the board (six): a fourth from the proxy closes the
  // idle one, and then a newcomer is refused.
  Client idle3(served, "127.0.0.3");
  kept(idle3);
  std::vector<std::unique_ptr<Client>> proxied;
  for (int i = 0; i < 4; ++i) {
    proxied.push_back(std::make_unique<Client>(served, "127.0.0.9"));
    proxied.back()->Send(headStart);
  }
  EXPECT_TRUE(closedNow(idle3));
  Client past(served, "127.0.0.4");
  past.Send(request);
  answer = past.Receive(1s, &closed);
  EXPECT_EQ(Status(answer), 503) << answer;
  EXPECT_NE(answer.find("too many connections"), std::string::npos) << answer;
  // The busy ones are answered once their heads are whole.
  for (Client* c : {&busy1, &busy2, proxied[0].get(), proxied[1].get(), proxied[2].get(), proxied[3].get()}) {
    c->Send("Host: board\r\n\r\n");
    EXPECT_EQ(Status(c->Receive(1s, nullptr, kHeadEnd)), 200);
  }
}

}  // namespace
}  // namespace board
