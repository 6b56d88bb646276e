#include "server/http_server.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <cstring>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "server/http_util.h"

namespace board {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Requests answered on one connection before it is closed.
constexpr size_t kAnswersPerConnection = 1000;
constexpr size_t kReadSize = 16 * 1024;
// How often a worker waiting for a body looks whether the board is stopping.
constexpr milliseconds kStopCheck{200};
// What is read and dropped after an answer that closes, at most.
constexpr size_t kLingerBytes = 4 << 20;

struct Connection {
  enum class State { kHead, kIdle, kServing, kClosing };
  int fd = -1;
  std::string peer;  // the numeric address, as the library writes it
  int port = 0;
  bool capped = true;  // counted against its address's bound
  State state = State::kHead;
  bool watched = false;  // in the watcher's epoll set
  std::string in;        // received and not yet read by the library
  size_t headLength = 0;
  Clock::time_point deadline;
  Clock::time_point since;  // idle, or closing, since
  size_t answered = 0;
  bool closeAfter = false;  // its answer leaves bytes of the request unread
  size_t dropped = 0;       // after such an answer
};

// The connection this worker thread is answering, for the library's handlers.
thread_local Connection* serving = nullptr;

// The statuses the board writes itself, outside the library.
constexpr std::pair<int, const char*> kStatusTexts[] = {
    {408, "Request Timeout"}, {431, "Request Header Fields Too Large"}, {503, "Service Unavailable"}};

std::string RawAnswer(int status, const std::string& reason) {
  const char* text = "";
  for (const auto& [code, words] : kStatusTexts)
    if (code == status) text = words;
  const std::string body = nlohmann::json{{"error", reason}}.dump();
  return "HTTP/1.1 " + std::to_string(status) + " " + text + "\r\nContent-Type: application/json\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\nConnection: close\r\n" + (status == 503 ? "Retry-After: 1\r\n" : "") +
         "\r\n" + body;
}

// Best effort: a socket that cannot take a few hundred bytes at once is not
// waited for.
void SendNow(int fd, const std::string& bytes) {
  [[maybe_unused]] const ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

bool Ready(int fd, short events, milliseconds wait) {
  pollfd p{fd, events, 0};
  for (;;) {
    const int n = poll(&p, 1, static_cast<int>(std::max<int64_t>(0, wait.count())));
    if (n >= 0 || errno != EINTR) return n > 0;
  }
}

std::pair<std::string, int> NumericAddress(const sockaddr_storage& address, socklen_t size) {
  char host[NI_MAXHOST] = "", service[NI_MAXSERV] = "";
  getnameinfo(reinterpret_cast<const sockaddr*>(&address), size, host, sizeof host, service, sizeof service,
              NI_NUMERICHOST | NI_NUMERICSERV);
  return {host, std::atoi(service)};
}

// The length of the request head at the start of `in` (its line, its header
// fields and the blank line, as the library reads them: the head ends with a
// line that is CR LF alone); 0 while it is not whole.
size_t HeadLength(const std::string& in) {
  const size_t at = in.find("\n\r\n");
  return at == std::string::npos ? 0 : at + 3;
}

// What the library reads a request from and writes its answer to: the bytes
// the watcher received, then the socket, under the body's deadlines.
class DeadlineStream : public httplib::Stream {
 public:
  DeadlineStream(Connection& c, const ConnectionLimits& limits, const std::atomic<bool>& stopping)
      : c_(c), limits_(limits), stopping_(stopping), start_(Clock::now()) {}

  bool is_readable() const override { return pos_ < c_.in.size() || Ready(c_.fd, POLLIN, limits_.silence); }
  bool is_writable() const override { return !failed_; }

  ssize_t read(char* ptr, size_t size) override {
    if (failed_ || (pos_ == c_.in.size() && !Receive())) return -1;
    const size_t n = std::min(size, c_.in.size() - pos_);
    std::memcpy(ptr, c_.in.data() + pos_, n);
    pos_ += n;
    taken_ += n;
    return static_cast<ssize_t>(n);
  }

  ssize_t write(const char* ptr, size_t size) override {
    while (!failed_) {
      const ssize_t n = send(c_.fd, ptr, size, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n >= 0) {
        // The interim "100 Continue" is not yet the answer.
        answering_ = answering_ || size < 12 || std::memcmp(ptr, "HTTP/1.1 100", 12) != 0;
        return n;
      }
      if (errno != EINTR && (errno != EAGAIN || !Ready(c_.fd, POLLOUT, limits_.silence))) failed_ = true;
    }
    return -1;
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    ip = c_.peer;
    port = c_.port;
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    if (getsockname(c_.fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
      std::tie(ip, port) = NumericAddress(address, size);
  }
  socket_t socket() const override { return c_.fd; }

  bool Failed() const { return failed_; }
  // What followed the request (the next one, pipelined) stays for the watcher.
  void KeepRest() { c_.in.erase(0, pos_); }

 private:
  bool Receive() {
    // A request is read up to its head and the largest body: whatever the
    // library would read past that is not taken.
    if (taken_ >= c_.headLength + limits_.bodyMax) return Fail();
    c_.in.clear();
    pos_ = 0;
    const size_t body = taken_ > c_.headLength ? taken_ - c_.headLength : 0;
    const auto due = start_ + limits_.silence + milliseconds(body * 1000 / limits_.bodyRate);
    const auto end = std::min(due, Clock::now() + limits_.silence);
    for (;;) {
      // A board told to stop waits for no body.
      if (stopping_) return Refuse(503, "the board is stopping: try again shortly");
      const auto left = std::chrono::duration_cast<milliseconds>(end - Clock::now());
      if (left.count() <= 0) return Refuse(408, "the request did not arrive in time");
      if (!Ready(c_.fd, POLLIN, std::min(left, kStopCheck))) continue;
      c_.in.resize(kReadSize);
      const ssize_t n = recv(c_.fd, c_.in.data(), kReadSize, MSG_DONTWAIT);
      c_.in.resize(n > 0 ? static_cast<size_t>(n) : 0);
      if (n > 0) return true;
      if (n == 0 || (errno != EAGAIN && errno != EINTR)) return Fail();
    }
  }

  bool Refuse(int status, const std::string& reason) {
    if (!answering_) SendNow(c_.fd, RawAnswer(status, reason));
    c_.closeAfter = true;
    return Fail();
  }

  bool Fail() {
    failed_ = true;
    return false;
  }

  Connection& c_;
  const ConnectionLimits& limits_;
  const std::atomic<bool>& stopping_;
  const Clock::time_point start_;
  size_t pos_ = 0;    // in c_.in
  size_t taken_ = 0;  // by the library, of this request
  bool answering_ = false;
  bool failed_ = false;
};

// The library's accepting loop hands each connection to a task queue: this
// one runs the task at once, and the task only hands the socket to the
// watcher.
class AtOnce : public httplib::TaskQueue {
 public:
  void enqueue(std::function<void()> fn) override { fn(); }
  void shutdown() override {}
};

}  // namespace

std::optional<Refusal> BodyRefusal(const httplib::Request& req, size_t bodyMax) {
  if (req.has_header("Transfer-Encoding"))
    return Refusal{411, "send the body with a Content-Length: chunked bodies are not taken"};
  if (req.get_header_value_count("Content-Length") > 1) return Refusal{400, "Content-Length is given twice"};
  if (!req.has_header("Content-Length")) {
    // The methods whose body the library reads.
    const bool body = req.method == "POST" || req.method == "PUT" || req.method == "PATCH" || req.method == "PRI";
    return body ? std::optional(Refusal{411, "a body needs its Content-Length"}) : std::nullopt;
  }
  const std::string text = req.get_header_value("Content-Length");
  uint64_t length = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), length);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size())
    return Refusal{400, "Content-Length is not a number"};
  if (length > bodyMax) return Refusal{413, "a body may be " + std::to_string(bodyMax / 1024) + " KiB at most"};
  // The library would inflate a compressed body without a bound.
  if (const std::string coding = req.get_header_value("Content-Encoding"); !coding.empty() && coding != "identity")
    return Refusal{415, "compressed bodies are not taken"};
  return std::nullopt;
}

class HttpServer::Connections {
 public:
  Connections(HttpServer& server, ConnectionLimits limits)
      : server_(server),
        limits_(std::move(limits)),
        epoll_(epoll_create1(EPOLL_CLOEXEC)),
        wake_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
        workers_(limits_.threads) {
    epoll_event e{};
    e.events = EPOLLIN;
    e.data.fd = wake_;
    epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &e);
    watcher_ = std::thread([this] { Watch(); });
  }

  ~Connections() {
    Stop();
    close(epoll_);
    close(wake_);
  }

  const ConnectionLimits& limits() const { return limits_; }

  void Adopt(int fd) {
    {
      std::lock_guard lock(mutex_);
      accepted_.push_back(fd);
    }
    Wake();
  }

  void Stop() {
    if (stopped_.exchange(true)) return;
    stopping_ = true;
    Wake();
    workers_.shutdown();  // after the requests already handed to them
    finished_ = true;
    Wake();
    watcher_.join();
  }

 private:
  enum class Verdict { kKeep, kClose, kLinger };

  void Wake() {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake_, &one, sizeof one);
  }

  void Watch() {
    std::array<epoll_event, 64> events;
    while (!finished_) {
      const int n = epoll_wait(epoll_, events.data(), static_cast<int>(events.size()), 100);
      TakeHandOvers();
      for (int i = 0; i < n; ++i) {
        if (events[i].data.fd == wake_) {
          uint64_t count = 0;
          [[maybe_unused]] const ssize_t r = ::read(wake_, &count, sizeof count);
        } else if (const auto it = open_.find(events[i].data.fd); it != open_.end()) {
          Readable(*it->second);
        }
      }
      Expire();
    }
    TakeHandOvers();
    while (!open_.empty()) Close(*open_.begin()->second);
  }

  void TakeHandOvers() {
    std::vector<int> accepted;
    std::vector<std::pair<Connection*, Verdict>> returned;
    {
      std::lock_guard lock(mutex_);
      accepted.swap(accepted_);
      returned.swap(returned_);
    }
    for (const auto& [c, verdict] : returned) Returned(*c, verdict);
    for (int fd : accepted) Admit(fd);
  }

  void Admit(int fd) {
    auto c = std::make_unique<Connection>();
    c->fd = fd;
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    if (stopping_ || getpeername(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
      close(fd);
      return;
    }
    std::tie(c->peer, c->port) = NumericAddress(address, size);
    c->capped = c->peer != limits_.trustedProxy;
    // Headers and body go out in separate writes: without this the body waits
    // for the client's delayed acknowledgement of the headers (40 ms).
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    const auto count = perAddress_.find(c->peer);
    const char* full = nullptr;
    if (c->capped && count != perAddress_.end() && count->second >= limits_.perAddress && !MakeRoom(&c->peer))
      full = "too many connections from this address: try again shortly";
    else if (open_.size() >= limits_.connections && !MakeRoom(nullptr))
      full = "the board has too many connections: try again shortly";
    if (full) {
      // What the client sent already is read, so that closing sends no reset
      // over the answer.
      char discard[kReadSize];
      [[maybe_unused]] const ssize_t n = recv(fd, discard, sizeof discard, MSG_DONTWAIT);
      SendNow(fd, RawAnswer(503, full));
      close(fd);
      return;
    }
    ++perAddress_[c->peer];
    c->deadline = Clock::now() + limits_.head;
    Connection& added = *c;
    open_.emplace(fd, std::move(c));
    WatchFor(added);
  }

  void WatchFor(Connection& c) {
    if (c.watched) return;
    epoll_event e{};
    e.events = EPOLLIN;
    e.data.fd = c.fd;
    epoll_ctl(epoll_, EPOLL_CTL_ADD, c.fd, &e);
    c.watched = true;
  }

  void Readable(Connection& c) {
    char bytes[kReadSize];
    while (c.state != Connection::State::kServing) {
      const ssize_t n = recv(c.fd, bytes, sizeof bytes, MSG_DONTWAIT);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno == EAGAIN) return;
      if (n <= 0) return Close(c);
      // Bytes after an answer that closes are dropped, a read per wake-up.
      if (c.state == Connection::State::kClosing) {
        c.dropped += static_cast<size_t>(n);
        if (c.dropped > kLingerBytes) Close(c);
        return;
      }
      if (c.state == Connection::State::kIdle) {
        c.state = Connection::State::kHead;
        c.deadline = Clock::now() + limits_.head;
      }
      c.in.append(bytes, static_cast<size_t>(n));
      if (HeadWhole(c)) return;
    }
  }

  // Hands the connection to a worker once its head is whole; answers a head
  // that has grown too long. True when the watcher is done with it for now.
  bool HeadWhole(Connection& c) {
    c.headLength = HeadLength(c.in);
    if ((c.headLength == 0 ? c.in.size() : c.headLength) > limits_.headMax) {
      Answer(c, 431, "the request's head is longer than " + std::to_string(limits_.headMax / 1024) + " KiB");
      return true;
    }
    if (c.headLength == 0) return false;
    if (stopping_) {
      Close(c);
      return true;
    }
    epoll_ctl(epoll_, EPOLL_CTL_DEL, c.fd, nullptr);
    c.watched = false;
    c.state = Connection::State::kServing;
    workers_.enqueue([this, connection = &c] { Serve(*connection); });
    return true;
  }

  void Serve(Connection& c) {
    serving = &c;
    DeadlineStream stream(c, limits_, stopping_);
    bool closed = false;
    const bool last = stopping_ || c.answered + 1 >= kAnswersPerConnection;
    const bool written = server_.process_request(stream, last, closed, nullptr);
    serving = nullptr;
    ++c.answered;
    stream.KeepRest();
    const Verdict verdict = c.closeAfter                                     ? Verdict::kLinger
                            : !written || closed || last || stream.Failed() ? Verdict::kClose
                                                                             : Verdict::kKeep;
    {
      std::lock_guard lock(mutex_);
      returned_.emplace_back(&c, verdict);
    }
    Wake();
  }

  void Returned(Connection& c, Verdict verdict) {
    if (verdict == Verdict::kLinger && !stopping_) return Linger(c);
    if (verdict != Verdict::kKeep || stopping_) return Close(c);
    const auto now = Clock::now();
    c.in.shrink_to_fit();  // an idle connection keeps no buffer
    c.state = Connection::State::kIdle;
    c.since = now;
    c.deadline = now + limits_.keepAlive;
    if (!c.in.empty()) {
      c.state = Connection::State::kHead;
      c.deadline = now + limits_.head;
      if (HeadWhole(c)) return;
    }
    WatchFor(c);
  }

  void Answer(Connection& c, int status, const std::string& reason) {
    SendNow(c.fd, RawAnswer(status, reason));
    Linger(c);
  }

  // The answer is out; what the client still sends is read and dropped for a
  // while (and a few MiB), so that closing does not reset the connection
  // before the client has read the answer.
  void Linger(Connection& c) {
    shutdown(c.fd, SHUT_WR);
    c.state = Connection::State::kClosing;
    c.since = Clock::now();
    c.deadline = c.since + limits_.linger;
    c.in = std::string();
    WatchFor(c);
  }

  void Close(Connection& c) {
    close(c.fd);  // which takes it out of the epoll set too
    if (c.capped) {
      const auto count = perAddress_.find(c.peer);
      if (--count->second == 0) perAddress_.erase(count);
    }
    open_.erase(c.fd);
  }

  void Expire() {
    const auto now = Clock::now();
    std::vector<Connection*> due;
    for (const auto& [fd, c] : open_)
      if (c->state != Connection::State::kServing && c->deadline <= now) due.push_back(c.get());
    for (Connection* c : due) {
      if (c->state == Connection::State::kHead) Answer(*c, 408, "the request's head did not arrive in time");
      else Close(*c);
    }
  }

  // Makes room for a new connection (of `peer`, when given): closes one
  // whose client has gone before its head was read, else the one closing
  // the longest (its answer sent), else the one idle the longest; false when
  // there is none.
  bool MakeRoom(const std::string* peer) {
    Connection* chosen = nullptr;
    int chosenRank = 3;
    for (const auto& [fd, c] : open_) {
      if (peer && c->peer != *peer) continue;
      const int rank = c->state == Connection::State::kClosing ? 1
                       : c->state == Connection::State::kIdle  ? 2
                       : c->state == Connection::State::kHead && Gone(*c) ? 0
                                                                          : 3;
      if (rank < chosenRank || (rank == chosenRank && rank < 3 && c->since < chosen->since)) {
        chosen = c.get();
        chosenRank = rank;
      }
      if (rank == 0) break;
    }
    if (chosen) Close(*chosen);
    return chosen != nullptr;
  }

  // The client has closed (or reset) a connection whose end the watcher has
  // not seen yet.
  static bool Gone(const Connection& c) {
    char byte;
    const ssize_t n = recv(c.fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR);
  }

  HttpServer& server_;
  const ConnectionLimits limits_;
  const int epoll_;
  const int wake_;
  std::atomic<bool> stopped_{false};
  std::atomic<bool> stopping_{false};
  std::atomic<bool> finished_{false};
  std::mutex mutex_;  // the hand-overs
  std::vector<int> accepted_;
  std::vector<std::pair<Connection*, Verdict>> returned_;
  // The watcher thread's own.
  std::unordered_map<int, std::unique_ptr<Connection>> open_;
  std::unordered_map<std::string, size_t> perAddress_;
  httplib::ThreadPool workers_;
  std::thread watcher_;
};

HttpServer::HttpServer(ConnectionLimits limits)
    : connections_(std::make_unique<Connections>(*this, std::move(limits))) {
  new_task_queue = [] { return new AtOnce; };
  const ConnectionLimits& l = connections_->limits();
  // Said in every kept-alive answer.
  set_keep_alive_timeout(std::chrono::duration_cast<std::chrono::seconds>(l.keepAlive).count());
  set_keep_alive_max_count(kAnswersPerConnection);
  set_payload_max_length(l.bodyMax);
  const auto refuse = [max = l.bodyMax](const httplib::Request& req, httplib::Response& res) {
    const std::optional<Refusal> refusal = BodyRefusal(req, max);
    if (!refusal) return false;
    if (serving) serving->closeAfter = true;
    res.set_header("Connection", "close");
    ErrorAnswer(res, refusal->status, refusal->reason);
    return true;
  };
  // Before the library reads a body: without these it would read it whole.
  set_pre_routing_handler([refuse](const httplib::Request& req, httplib::Response& res) {
    return refuse(req, res) ? HandlerResponse::Handled : HandlerResponse::Unhandled;
  });
  // A client that asks first is told before it sends the body.
  set_expect_100_continue_handler(
      [refuse](const httplib::Request& req, httplib::Response& res) { return refuse(req, res) ? res.status : 100; });
}

HttpServer::~HttpServer() { connections_->Stop(); }

bool HttpServer::Serve() {
  const bool served = listen_after_bind();
  connections_->Stop();
  return served;
}

bool HttpServer::process_and_close_socket(socket_t sock) {
  connections_->Adopt(sock);
  return true;
}

}  // namespace board
