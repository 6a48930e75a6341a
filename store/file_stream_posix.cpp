// Store files on POSIX systems: opened read-write and locked against every other opener.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "store/file_stream_posix.h"
#include "store/stream.h"

namespace pel {
namespace {

class PosixFileStream final : public ByteStream {
 public:
  explicit PosixFileStream(int fd) : fd_(fd) {}
  ~PosixFileStream() override { ::close(fd_); }  // closing drops the lock

  int64_t Size() override {
    struct stat st;
    return ::fstat(fd_, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
  }

  int64_t Seek(int64_t offset) override {
    if (offset < 0) return -1;
    return static_cast<int64_t>(::lseek(fd_, static_cast<off_t>(offset), SEEK_SET));
  }

  int32_t Read(void* buffer, int32_t n) override {
    int32_t done = 0;
    while (done < n) {
      ssize_t r = ::read(fd_, static_cast<char*>(buffer) + done, static_cast<size_t>(n - done));
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) break;
      done += static_cast<int32_t>(r);
    }
    return done;
  }

  int32_t Write(const void* buffer, int32_t n) override {
    int32_t done = 0;
    while (done < n) {
      ssize_t r =
          ::write(fd_, static_cast<const char*>(buffer) + done, static_cast<size_t>(n - done));
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) break;
      done += static_cast<int32_t>(r);
    }
    return done;
  }

 private:
  int fd_;
};

int OpenFile(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }

// EACCES is what a file without write permission gives; EROFS a read-only mount.
bool RefusedAsReadOnly(int error) { return error == EROFS || error == EACCES; }

}  // namespace

PosixOpenFunction& PosixOpenHook() {
  static PosixOpenFunction open = OpenFile;
  return open;
}

bool StoreFileExists(const Text& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::unique_ptr<ByteStream> OpenStoreFile(const Text& path, StoreOpenMode mode) {
  PosixOpenFunction open = PosixOpenHook();
  bool existed = StoreFileExists(path);
  int fd = existed ? open(path.c_str(), O_RDWR | O_CLOEXEC, 0)
                   : open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0 && existed && mode == StoreOpenMode::kReading && RefusedAsReadOnly(errno))
    fd = open(path.c_str(), O_RDONLY | O_CLOEXEC, 0);
  const char* what = existed ? "Cannot open file " : "Cannot create file ";
  if (fd < 0) throw StoreFileError(what + path, StoreFileError::kOther, std::strerror(errno));
  // The nearest thing to share mode 0: an exclusive lock that every store
  // opener takes, so a second opener fails instead of interleaving writes.
  // flock does not care whether the descriptor may write.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK)
      throw StoreFileError(what + path, StoreFileError::kInUse, "in use by another program");
    throw StoreFileError(what + path, StoreFileError::kOther, std::strerror(error));
  }
  return std::make_unique<PosixFileStream>(fd);
}

}  // namespace pel
