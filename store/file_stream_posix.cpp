// Store files on POSIX systems: opened read-write and locked against every other opener.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "store/file_stream_posix.h"
#include "store/journal.h"
#include "store/stream.h"

namespace pel {
namespace {

// The folder that holds path, for flushing a name created or removed in it.
Text FolderOf(const Text& path) {
  size_t slash = path.rfind('/');
  return slash == Text::npos ? Text(".") : slash == 0 ? Text("/") : path.substr(0, slash);
}

bool FlushFolderOf(const Text& path) {
  if (!StoreFlushSwitch()) return true;
  int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fsync(fd) == 0;
  return ::close(fd) == 0 && ok;
}

class PosixFileStream final : public ByteStream {
 public:
  // A store keeps its journal beside it; a side file was maybe just created.
  enum Role { kStore, kSideFile };
  PosixFileStream(int fd, Text path, Role role, bool created = false)
      : fd_(fd), path_(std::move(path)), created_(created) {
    if (role == kStore) journal_ = FileJournal(path_);
  }
  ~PosixFileStream() override { Close(); }  // closing drops the lock

  int64_t Size() override {
    struct stat st;
    return ::fstat(fd_, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
  }

  int64_t Seek(int64_t offset) override {
    if (offset < 0) return -1;
    return static_cast<int64_t>(::lseek(fd_, static_cast<off_t>(offset), SEEK_SET));
  }

  int32_t Read(void* buffer, int32_t n) override {
    return Transfer(n, [&](int32_t done) {
      return ::read(fd_, static_cast<char*>(buffer) + done, static_cast<size_t>(n - done));
    });
  }

  int32_t Write(const void* buffer, int32_t n) override {
    return Transfer(n, [&](int32_t done) {
      return ::write(fd_, static_cast<const char*>(buffer) + done, static_cast<size_t>(n - done));
    });
  }

  int32_t ReadAt(int64_t offset, void* buffer, int32_t n) override {
    if (offset < 0) return -1;
    return Transfer(n, [&](int32_t done) {
      return ::pread(fd_, static_cast<char*>(buffer) + done, static_cast<size_t>(n - done),
                     static_cast<off_t>(offset + done));
    });
  }

  int32_t WriteAt(int64_t offset, const void* buffer, int32_t n) override {
    if (offset < 0) return -1;
    return Transfer(n, [&](int32_t done) {
      return ::pwrite(fd_, static_cast<const char*>(buffer) + done, static_cast<size_t>(n - done),
                      static_cast<off_t>(offset + done));
    });
  }

  bool Truncate(int64_t size) override {
    return size >= 0 && ::ftruncate(fd_, static_cast<off_t>(size)) == 0;
  }

  bool Flush() override {
    if (fd_ < 0) return false;
    if (!StoreFlushSwitch()) return true;
    if (::fsync(fd_) != 0) return false;
    // A file made new is not durable until its folder's entry is.
    if (created_ && !FlushFolderOf(path_)) return false;
    created_ = false;
    return true;
  }

  bool Close() override {
    if (fd_ < 0) return false;
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

  JournalHost* Journal() override { return journal_.get(); }

 private:
  template <typename Step>
  int32_t Transfer(int32_t n, Step step) {
    int32_t done = 0;
    while (done < n && fd_ >= 0) {
      ssize_t r = step(done);
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) break;
      done += static_cast<int32_t>(r);
    }
    return done;
  }

  int fd_;
  Text path_;
  bool created_;
  std::unique_ptr<JournalHost> journal_;
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

std::unique_ptr<ByteStream> OpenStoreFile(const Text& path, StoreOpenMode mode,
                                          StoreFileError& failure) {
  PosixOpenFunction open = PosixOpenHook();
  bool existed = StoreFileExists(path);
  int fd = existed ? open(path.c_str(), O_RDWR | O_CLOEXEC, 0)
                   : open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0 && existed && mode == StoreOpenMode::kReading && RefusedAsReadOnly(errno))
    fd = open(path.c_str(), O_RDONLY | O_CLOEXEC, 0);
  const char* what = existed ? "Cannot open file " : "Cannot create file ";
  if (fd < 0) {
    failure = {what + path, StoreFileError::kOther, std::strerror(errno)};
    return nullptr;
  }
  // The nearest thing to share mode 0: an exclusive lock that every store
  // opener takes, so a second opener fails instead of interleaving writes.
  // flock does not care whether the descriptor may write.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int error = errno;
    ::close(fd);
    failure = error == EWOULDBLOCK
                  ? StoreFileError{what + path, StoreFileError::kInUse, "in use by another program"}
                  : StoreFileError{what + path, StoreFileError::kOther, std::strerror(error)};
    return nullptr;
  }
  return std::make_unique<PosixFileStream>(fd, path, PosixFileStream::kStore);
}

std::unique_ptr<ByteStream> OpenSideFile(const Text& path, bool create) {
  int flags = O_RDWR | O_CLOEXEC | (create ? O_CREAT | O_TRUNC : 0);
  int fd = ::open(path.c_str(), flags, 0666);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixFileStream>(fd, path, PosixFileStream::kSideFile, create);
}

bool DeleteSideFile(const Text& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) return false;
  return FlushFolderOf(path);
}

bool MoveSideFile(const Text& from, const Text& to) {
  return ::rename(from.c_str(), to.c_str()) == 0 && FlushFolderOf(to);
}

}  // namespace pel
