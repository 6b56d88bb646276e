// Slow and endless clients against a board on this machine, for
// bench/board_load.sh. Connection i comes from 127.0.0.(2 + i / 8): the
// attackers' addresses are their own, the readers keep 127.0.0.1. A
// connection the board closes is opened again, until the time is up.
//   board_attack slow PORT CONNECTIONS SECONDS
//     a request head whose header fields come one every 2 s, without end
//   board_attack chunked PORT CONNECTIONS SECONDS
//     a POST whose chunked body goes on for 256 MiB, as fast as it is taken
// Prints the connections made and the board's answers by status.
#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kPerAddress = 8;
constexpr size_t kChunkedBody = size_t{256} << 20;

struct Attacker {
  int fd = -1;
  size_t sent = 0;
  Clock::time_point next;
  bool answered = false;
};

int Open(int port, int index) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in from{};
  from.sin_family = AF_INET;
  from.sin_addr.s_addr = htonl((127u << 24) + 2u + static_cast<uint32_t>(index / kPerAddress));
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
      connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
    close(fd);
    return -1;
  }
  fcntl(fd, F_SETFL, O_NONBLOCK);
  return fd;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5 || (std::strcmp(argv[1], "slow") != 0 && std::strcmp(argv[1], "chunked") != 0)) {
    std::fprintf(stderr, "usage: board_attack slow|chunked PORT CONNECTIONS SECONDS\n");
    return 2;
  }
  const bool slow = std::strcmp(argv[1], "slow") == 0;
  const int port = std::atoi(argv[2]), count = std::atoi(argv[3]);
  const auto end = Clock::now() + std::chrono::seconds(std::atoi(argv[4]));
  const std::string head = slow ? "GET /api/ranking HTTP/1.1\r\nHost: board\r\n"
                                : "POST /api/games HTTP/1.1\r\nHost: board\r\nContent-Type: application/json\r\n"
                                  "Transfer-Encoding: chunked\r\n\r\n";
  const std::string chunk = "10000\r\n" + std::string(0x10000, '{') + "\r\n";
  std::vector<Attacker> attackers(static_cast<size_t>(count));
  std::map<int, int> answers;  // status: how many
  int made = 0, unanswered = 0, failed = 0;
  std::vector<pollfd> polled(attackers.size());
  while (Clock::now() < end) {
    const auto now = Clock::now();
    for (size_t i = 0; i < attackers.size(); ++i) {
      Attacker& a = attackers[i];
      polled[i] = {-1, 0, 0};
      if (a.fd < 0) {
        if ((a.fd = Open(port, static_cast<int>(i))) < 0) {
          ++failed;
          continue;
        }
        ++made;
        const ssize_t n = send(a.fd, head.data(), head.size(), MSG_NOSIGNAL);
        a.sent = n > 0 ? static_cast<size_t>(n) : 0;
        a.next = now + 2s;
        a.answered = false;
      }
      if (slow && a.next <= now) {
        const std::string line = "X-Slow-" + std::to_string(a.sent) + ": 1\r\n";
        a.sent += static_cast<size_t>(std::max<ssize_t>(0, send(a.fd, line.data(), line.size(), MSG_NOSIGNAL)));
        a.next = now + 2s;
      }
      polled[i] = {a.fd, static_cast<short>(POLLIN | (!slow && a.sent < kChunkedBody ? POLLOUT : 0)), 0};
    }
    poll(polled.data(), polled.size(), 50);
    for (size_t i = 0; i < attackers.size(); ++i) {
      Attacker& a = attackers[i];
      if (a.fd < 0) continue;
      if (polled[i].revents & POLLOUT) {
        const ssize_t n = send(a.fd, chunk.data(), chunk.size(), MSG_NOSIGNAL);
        if (n > 0) a.sent += static_cast<size_t>(n);
      }
      if (!(polled[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char bytes[4096];
      const ssize_t n = recv(a.fd, bytes, sizeof bytes, 0);
      if (n > 12 && !a.answered && std::strncmp(bytes, "HTTP/1.1 ", 9) == 0) {
        ++answers[std::atoi(bytes + 9)];
        a.answered = true;
      }
      if (n == 0 || (n < 0 && errno != EAGAIN)) {
        unanswered += !a.answered;
        close(a.fd);
        a = {};
      }
    }
  }
  std::printf("%s: %d connections at once, %d made", argv[1], count, made);
  for (const auto& [status, times] : answers) std::printf(", %d answered %d", times, status);
  std::printf(", %d closed unanswered, %d could not connect\n", unanswered, failed);
  return 0;
}
