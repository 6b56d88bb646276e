#include "platform/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace platform {
namespace {

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

}  // namespace

ChildResult RunChild(const std::vector<std::string>& argv, std::span<const uint8_t> input,
                     const ChildOptions& options) {
  ChildResult result;
  signal(SIGPIPE, SIG_IGN);
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0) {
    result.error = std::string("pipe: ") + std::strerror(errno);
    return result;
  }
  Fd inRead(in[0]), inWrite(in[1]);
  if (pipe2(out, O_CLOEXEC) != 0) {
    result.error = std::string("pipe: ") + std::strerror(errno);
    return result;
  }
  Fd outRead(out[0]), outWrite(out[1]);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, inRead.get(), 0);
  posix_spawn_file_actions_adddup2(&actions, outWrite.get(), 1);
  if (!options.keepStderr) posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  // The child starts with the default signal handling, whatever this
  // process ignores (a server ignores SIGPIPE).
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t all;
  sigfillset(&all);
  posix_spawnattr_setsigdefault(&attributes, &all);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, args[0], &actions, &attributes, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (rc != 0) {
    result.error = argv[0] + ": " + std::strerror(rc);
    return result;
  }
  result.started = true;
  inRead.Close();
  outWrite.Close();
  fcntl(inWrite.get(), F_SETFL, O_NONBLOCK);

  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + options.deadline;
  Clock::time_point nextTick = Clock::now() + options.tick;
  size_t written = 0;
  if (input.empty()) inWrite.Close();
  char buffer[16384];
  while (outRead.get() >= 0) {
    const Clock::time_point now = Clock::now();
    if (now >= end) {
      kill(pid, SIGKILL);
      result.timedOut = true;
      break;
    }
    if (options.onTick && now >= nextTick) {
      options.onTick();
      nextTick = now + options.tick;
    }
    pollfd fds[2] = {{outRead.get(), POLLIN, 0}, {inWrite.get(), POLLOUT, 0}};
    const auto wait = std::min(end, nextTick) - now;
    const int timeout = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(wait).count()) + 1;
    if (poll(fds, inWrite.get() >= 0 ? 2 : 1, timeout) < 0 && errno != EINTR) break;
    if (fds[1].revents & (POLLOUT | POLLERR | POLLHUP)) {
      const ssize_t n = write(inWrite.get(), input.data() + written, input.size() - written);
      if (n > 0) written += static_cast<size_t>(n);
      // A child that stops reading (it refused the bytes so far) is no error.
      if ((n < 0 && errno != EAGAIN && errno != EINTR) || written == input.size()) inWrite.Close();
    }
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      const ssize_t n = read(outRead.get(), buffer, sizeof buffer);
      if (n > 0) {
        const size_t room = options.maxOutput - std::min(options.maxOutput, result.output.size());
        result.output.append(buffer, std::min(room, static_cast<size_t>(n)));
      } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
        outRead.Close();
      }
    }
  }
  inWrite.Close();
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid || (done < 0 && errno != EINTR)) break;
    if (done == 0 && Clock::now() >= end && !result.timedOut) {
      kill(pid, SIGKILL);
      result.timedOut = true;
    }
    if (done == 0) usleep(2000);
  }
  if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

}  // namespace platform
