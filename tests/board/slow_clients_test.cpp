// Clients that would hold a board, against the real program on loopback:
// seventy connections that trickle their request heads (more than its
// threads, from addresses of their own), and a chunked body without end.
// Both are answered and let go within their deadlines, the board's memory
// stays where it was, and everyone else is served meanwhile.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/board/board_fixture.h"

namespace board_test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

int Connect(int port, uint32_t from) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(from);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool Send(int fd, const std::string& bytes) {
  return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

// The board's resident memory now and at its peak, in KiB.
std::pair<long, long> Resident(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  long now = 0, peak = 0;
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) now = std::atol(line.c_str() + 6);
    if (line.rfind("VmHWM:", 0) == 0) peak = std::atol(line.c_str() + 6);
  }
  return {now, peak};
}

TEST(BoardSlowClients, SeventySlowHeadsAreLetGoAndNobodyElseWaits) {
  TempFolder folder("slow");
  // A head within 2 s; the default 64 threads.
  BoardProcess board(folder.path(), {"--data", (folder.path() / "data").string(), "--timeout", "2"});
  ASSERT_TRUE(board.Started()) << board.Log();
  constexpr int kSlow = 70;
  std::vector<pollfd> slow;
  for (int i = 0; i < kSlow; ++i) {
    const int fd = Connect(board.Port(), (127u << 24) + 2u + static_cast<uint32_t>(i / 7));
    ASSERT_GE(fd, 0) << i;
    ASSERT_TRUE(Send(fd, "GET /api/ranking HTTP/1.1\r\nHost: board\r\n"));
    slow.push_back({fd, POLLIN, 0});
  }
  const auto start = Clock::now();
  // A reader on 127.0.0.1 meanwhile, with a header line from every slow
  // client each half second.
  std::atomic<bool> reading{true};
  std::vector<std::string> unanswered;
  auto slowest = Clock::duration::zero();
  std::thread reader([&] {
    auto client = board.Client();
    client->set_read_timeout(5, 0);
    for (int i = 0; reading; ++i, std::this_thread::sleep_for(50ms)) {
      const std::string path = i % 2 ? "/healthz" : "/api/ranking";
      const auto asked = Clock::now();
      const auto res = client->Get(path);
      slowest = std::max(slowest, Clock::now() - asked);
      if (!res || res->status != 200) unanswered.push_back(path + " " + (res ? std::to_string(res->status) : "none"));
    }
  });
  std::vector<std::string> answers(kSlow);
  int open = kSlow;
  for (int line = 0; open > 0 && Clock::now() - start < 6s; ++line) {
    if (line % 5 == 0)
      for (const pollfd& p : slow)
        if (p.fd >= 0) Send(p.fd, "X-Slow: " + std::to_string(line) + "\r\n");
    poll(slow.data(), slow.size(), 100);
    for (size_t i = 0; i < slow.size(); ++i) {
      if (slow[i].fd < 0 || !(slow[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char bytes[1024];
      const ssize_t n = recv(slow[i].fd, bytes, sizeof bytes, 0);
      if (n > 0) answers[i].append(bytes, static_cast<size_t>(n));
      if (n > 0) continue;
      close(slow[i].fd);
      slow[i].fd = -1;
      --open;
    }
  }
  const auto lettingGo = Clock::now() - start;
  reading = false;
  reader.join();
  for (const pollfd& p : slow)
    if (p.fd >= 0) close(p.fd);
  EXPECT_EQ(open, 0);
  EXPECT_LT(lettingGo, 4s);
  for (int i = 0; i < kSlow; ++i) EXPECT_EQ(answers[i].substr(0, 12), "HTTP/1.1 408") << i << ": " << answers[i];
  EXPECT_TRUE(unanswered.empty()) << unanswered.size() << " unanswered, the first: " << unanswered.front();
  // Starved, these waited for the slow ones' deadlines (2 s).
  EXPECT_LT(slowest, 1s);
}

TEST(BoardSlowClients, AnEndlessChunkedBodyIsRefusedUnread) {
  TempFolder folder("chunked");
  BoardProcess board(folder.path(), {"--data", (folder.path() / "data").string()});
  ASSERT_TRUE(board.Started()) << board.Log();
  const long before = Resident(board.Pid()).first;
  const int fd = Connect(board.Port(), (127u << 24) + 2u);
  ASSERT_GE(fd, 0);
  ASSERT_TRUE(Send(fd, "POST /api/games HTTP/1.1\r\nHost: board\r\nContent-Type: application/json\r\n"
                       "Transfer-Encoding: chunked\r\n\r\n"));
  const std::string chunk = "100000\r\n" + std::string(0x100000, '{') + "\r\n";
  // The answer comes before the body (its head and its text, one write each).
  std::string answer;
  char bytes[2048];
  for (pollfd p{fd, POLLIN, 0}; answer.find('}') == std::string::npos && poll(&p, 1, 5000) == 1;) {
    const ssize_t n = recv(fd, bytes, sizeof bytes, 0);
    if (n <= 0) break;
    answer.append(bytes, static_cast<size_t>(n));
  }
  EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 411") << answer;
  EXPECT_NE(answer.find("chunked bodies are not taken"), std::string::npos) << answer;
  // Then 64 MiB more, or until the board has closed.
  timeval wait{2, 0};
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
  int sent = 0;
  for (const auto start = Clock::now(); sent < 64 && Clock::now() - start < 10s && Send(fd, chunk);) ++sent;
  EXPECT_LT(sent, 64) << "the board read on";
  close(fd);
  const auto [now, peak] = Resident(board.Pid());
  EXPECT_LT(peak - before, 16 * 1024) << "KiB: from " << before << " to a peak of " << peak;
  auto client = board.Client();
  const auto health = client->Get("/healthz");
  ASSERT_TRUE(health);
  EXPECT_EQ(health->status, 200);
}

}  // namespace
}  // namespace board_test
