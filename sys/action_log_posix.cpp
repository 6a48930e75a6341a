// The installation log on a POSIX build (tools and native tests): O_APPEND files and the local clock.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>

#include "sys/action_log.h"

namespace pel {
namespace {

class PosixLogSink final : public LogSink {
 public:
  explicit PosixLogSink(int fd) : fd_(fd) {}
  ~PosixLogSink() override { close(fd_); }
  bool Append(std::string_view bytes) override {
    while (!bytes.empty()) {
      ssize_t n = write(fd_, bytes.data(), bytes.size());
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
  }

 private:
  int fd_;
};

std::tm Now(int* millis) {
  auto now = std::chrono::system_clock::now();
  std::time_t t = std::chrono::system_clock::to_time_t(now);
  *millis = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  std::tm tm{};
  localtime_r(&t, &tm);
  return tm;
}

}  // namespace

std::unique_ptr<LogSink> OpenAppendLog(const Text& path) {
  int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return nullptr;
  }
  return std::make_unique<PosixLogSink>(fd);
}

Text LocalTimestamp() {
  int ms;
  std::tm tm = Now(&ms);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", tm.tm_year + 1900,
                tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, ms);
  return buf;
}

Text LocalDate() {
  int ms;
  std::tm tm = Now(&ms);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
  return buf;
}

}  // namespace pel
