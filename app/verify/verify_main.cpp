// solvara-verify: a replay on standard input, a verdict on standard output
// (verdict.h). The world is built first, while files may still be opened;
// then the process closes itself in (platform/sandbox.h) and only then reads
// the replay, so the untrusted bytes meet a process that can do nothing but
// compute and answer.
#include <CLI/CLI.hpp>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <cerrno>
#include <iostream>
#include <vector>

#include "app/command_line.h"
#include "app/verify/verifier.h"
#include "game/records/replay_file.h"
#include "platform/files.h"
#include "platform/sandbox.h"

namespace {

struct Options {
  std::string assets;
  bool identify = false;
  uint32_t maxFrames = game::kMaxReplayFrames;
  uint64_t cpuSeconds = 0;  // 0: from the frame bound
};

// The memory of a verification: the world, its surfaces and assets and a
// replay take well under a quarter of this.
constexpr uint64_t kAddressBytes = uint64_t{1} << 30;

int ParseOptions(int argc, char** argv, Options& o) {
  CLI::App app("Plays a SOLVARA 2001 replay read from standard input and says whether its game holds: "
               "accepted with its score, frames and stage, or refused with the reason.",
               "solvara-verify");
  command_line::Prepare(app, SOLVARA_VERSION);
  app.add_option("--assets", o.assets, "folder holding bmp/ and sound/ (default: beside the program, else installed)")
      ->type_name("DIR")
      ->check(command_line::NotEmpty());
  app.add_flag("--identify", o.identify, "only read the replay: its identity and what it claims, without playing it");
  app.add_option("--max-frames", o.maxFrames, "the longest game taken (default 216000, two hours)")
      ->type_name("N")
      ->check(CLI::Range(1u, game::kMaxReplayFrames).description(""));
  app.add_option("--cpu-seconds", o.cpuSeconds, "processor time allowed (default: 10 + max frames / 500)")
      ->type_name("S")
      ->check(CLI::Range(uint64_t{1}, uint64_t{86400}).description(""));
  app.footer("Exit status: 0 accepted (or valid with --identify); 1 refused; 2 a bad command line, or the "
             "world or the sandbox could not be set up (the reason on stderr). A verification that runs out of "
             "processor time ends with SIGXCPU.");
  return command_line::Parse(app, argc, argv, std::cout, std::cerr);
}

// Everything on the descriptor, without the C library's buffering (which
// would first ask the system about the descriptor).
bool WriteAll(int fd, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Standard input up to one byte more than the largest replay, which the
// reader then refuses as oversized.
std::vector<uint8_t> ReadReplay() {
  std::vector<uint8_t> bytes(game::kMaxReplayBytes + 1);
  size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = read(0, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

[[noreturn]] void Fail(const std::string& reason) {
  WriteAll(2, "solvara-verify: " + reason + "\n");
  _exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (const int status = ParseOptions(argc, argv, o); status != command_line::kRun) return status;
  // The sandbox lets no regular file grow: the verdict goes to a pipe or a
  // terminal, and a message on a standard error that is a file is lost
  // rather than ending the process.
  struct stat out;
  if (fstat(1, &out) == 0 && S_ISREG(out.st_mode))
    Fail("standard output is a file, which the sandbox cannot let grow: send it through a pipe");
  signal(SIGXFSZ, SIG_IGN);
  verify::LoadLibraryData();
  verify::Verifier verifier;
  std::string error;
  if (!o.identify && !verifier.Prepare(o.assets.empty() ? platform::AssetDir() : o.assets, error)) Fail(error);
  platform::SandboxLimits limits;
  limits.cpuSeconds = o.cpuSeconds ? o.cpuSeconds : verify::CpuSecondsFor(o.maxFrames);
  limits.addressBytes = platform::SanitizerBuild() ? 0 : kAddressBytes;
  if (!platform::EnterSandbox(limits, error)) Fail(error);

  const std::vector<uint8_t> replay = ReadReplay();
  const verify::Verdict verdict = o.identify ? verify::Identify(replay, o.maxFrames) : verifier.Verify(replay, o.maxFrames);
  if (!WriteAll(1, verify::FormatVerdict(verdict))) _exit(2);
  // Straight out: the world's threads and memory go with the process.
  _exit(verdict.outcome == verify::Verdict::Outcome::kRefused ? 1 : 0);
}
