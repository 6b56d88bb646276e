#pragma once
// Work done as a player would do it: file modes stop no one running as root,
// so a test running as root does it in a child process that has dropped to
// nobody (uid and gid 65534, no other groups). As anyone else, in a child
// process all the same.
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace testing_as_player {

// What `work` returned in the child process, or "child failed".
inline std::string AsPlayer(const std::function<std::string()>& work) {
  int out[2];
  if (pipe(out) != 0) return "child failed";
  const pid_t child = fork();
  if (child == 0) {
    close(out[0]);
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 ||
                           setresuid(65534, 65534, 65534) != 0))
      _exit(2);
    const std::string said = work();
    for (size_t at = 0; at < said.size();) {
      const ssize_t n = write(out[1], said.data() + at, said.size() - at);
      if (n <= 0) _exit(3);
      at += static_cast<size_t>(n);
    }
    _exit(0);
  }
  close(out[1]);
  std::string said;
  char buffer[4096];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) said.append(buffer, static_cast<size_t>(n));
  close(out[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? said : "child failed";
}

}  // namespace testing_as_player
