#include "vantor/system/debug.h"

#include <fstream>
#include <string>
#include <string_view>

#include "platform/encoding.h"
#include "vantor/system/text.h"

namespace VantorDebugSystem {

std::atomic<VantorSystem::TVantorProfiler*> TVantorDebug::defaultProfiler_{nullptr};
std::ostream* TVantorDebug::outputStrm_ = nullptr;
std::atomic<bool> TVantorDebug::debug_{false};
std::atomic<bool> TVantorDebug::profile_{false};

namespace {

// The single instance; its destruction at program end closes the log.
TVantorDebug g_instance;

// The log file takes the library's CP932 text and writes it in UTF-8, the
// text of a Linux desktop, a line at a time (and at every flush). The
// fixed-width lines are laid out in CP932 before they come here, so they keep
// their columns: a two-byte character is a wide one in UTF-8 too.
class Utf8Log final : public std::streambuf {
 public:
  explicit Utf8Log(const char* fileName) : file_(fileName, std::ios::out | std::ios::trunc | std::ios::binary) {}
  ~Utf8Log() override { sync(); }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    pending_ += traits_type::to_char_type(c);
    if (c == '\n') WriteLines();
    return c;
  }
  std::streamsize xsputn(const char* text, std::streamsize n) override {
    pending_.append(text, static_cast<size_t>(n));
    WriteLines();
    return n;
  }
  int sync() override {
    file_ << platform::Cp932ToUtf8(pending_);
    pending_.clear();
    return file_.flush() ? 0 : -1;
  }

 private:
  // Every whole line so far (a two-byte character never spans a line feed).
  void WriteLines() {
    const size_t end = pending_.rfind('\n');
    if (end == std::string::npos) return;
    file_ << platform::Cp932ToUtf8(std::string_view(pending_).substr(0, end + 1));
    pending_.erase(0, end + 1);
  }

  std::ofstream file_;
  std::string pending_;
};

class Utf8LogStream final : public std::ostream {
 public:
  explicit Utf8LogStream(const char* fileName) : std::ostream(nullptr), log_(fileName) { rdbuf(&log_); }

 private:
  Utf8Log log_;
};

}  // namespace

const char* RuleLine() {
  return "// ==========================================================================";
}

std::string PadLine(const std::string& cp932Text) {
  std::string line = cp932Text;
  if (line.size() < kLogLineWidth) line.append(kLogLineWidth - line.size(), ' ');
  return line;
}

std::string RightLine(const std::string& cp932Text) {
  std::string line = "//";
  if (line.size() + cp932Text.size() < kLogLineWidth)
    line.append(kLogLineWidth - line.size() - cp932Text.size(), ' ');
  return line + cp932Text;
}

TVantorDebug::~TVantorDebug() { Close(); }

void TVantorDebug::Close() {
  if (outputStrm_) *outputStrm_ << "\n\n\n";
  // The profiler's destructor writes the profiling report to the log.
  delete defaultProfiler_.exchange(nullptr);
  delete outputStrm_;
  outputStrm_ = nullptr;
  debug_ = false;
  profile_ = false;
}

void TVantorDebug::WriteHeader(std::ostream& out) {
  out << RuleLine() << '\n';
  out << PadLine(VN_TEXT("// Vantor Game Library 0.80 デバッグ＆プロファイリングシステム出力")) << '\n';
  out << RightLine("SOLVARA 2001 team ") << '\n';
  out << RuleLine() << '\n';
  out << '\n';
  VantorSystem::WriteCpuReport(out);
  out << "\n\n\n";
  out << RuleLine() << '\n';
  out << PadLine(VN_TEXT("// プログラムトレース出力")) << '\n';
  out << RightLine("Created by TVantorDebug") << '\n';
  out << RuleLine() << '\n';
  out << '\n';
  out.flush();
}

void TVantorDebug::SetDebug(const char* fileName, bool debug, bool profile) {
  Close();
  if (!fileName) return;
  // A file that cannot be created drops every write, as the caller asked
  // for a log and gets none.
  outputStrm_ = new Utf8LogStream(fileName);
  defaultProfiler_.store(new VantorSystem::TVantorProfiler(outputStrm_), std::memory_order_release);
  debug_ = debug;
  profile_ = profile;
  WriteHeader(*outputStrm_);
}

}  // namespace VantorDebugSystem
