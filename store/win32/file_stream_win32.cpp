// Store files on Windows: opened read-write with share mode 0, as the mail client opens them.
#include <windows.h>

#include "store/journal.h"
#include "store/stream.h"

namespace pel {
namespace {

class Win32FileStream final : public ByteStream {
 public:
  // A store keeps its journal beside it (storePath not empty).
  explicit Win32FileStream(HANDLE h, const Text& storePath = {}) : h_(h) {
    if (!storePath.empty()) journal_ = FileJournal(storePath);
  }
  ~Win32FileStream() override { Close(); }

  int64_t Size() override {
    LARGE_INTEGER size;
    return GetFileSizeEx(h_, &size) ? static_cast<int64_t>(size.QuadPart) : -1;
  }

  int64_t Seek(int64_t offset) override {
    if (offset < 0) return -1;
    LARGE_INTEGER to, at;
    to.QuadPart = offset;
    if (!SetFilePointerEx(h_, to, &at, FILE_BEGIN)) return -1;
    return static_cast<int64_t>(at.QuadPart);
  }

  int32_t Read(void* buffer, int32_t n) override {
    if (n <= 0) return 0;
    DWORD got = 0;
    if (!ReadFile(h_, buffer, static_cast<DWORD>(n), &got, nullptr)) return 0;
    return static_cast<int32_t>(got);
  }

  int32_t Write(const void* buffer, int32_t n) override {
    if (n <= 0) return 0;
    DWORD put = 0;
    if (!WriteFile(h_, buffer, static_cast<DWORD>(n), &put, nullptr)) return 0;
    return static_cast<int32_t>(put);
  }

  // One call each: the offset travels in the OVERLAPPED block.
  int32_t ReadAt(int64_t offset, void* buffer, int32_t n) override {
    if (offset < 0) return -1;
    if (n <= 0) return 0;
    OVERLAPPED at = At(offset);
    DWORD got = 0;
    if (!ReadFile(h_, buffer, static_cast<DWORD>(n), &got, &at)) return 0;
    return static_cast<int32_t>(got);
  }

  int32_t WriteAt(int64_t offset, const void* buffer, int32_t n) override {
    if (offset < 0) return -1;
    if (n <= 0) return 0;
    OVERLAPPED at = At(offset);
    DWORD put = 0;
    if (!WriteFile(h_, buffer, static_cast<DWORD>(n), &put, &at)) return 0;
    return static_cast<int32_t>(put);
  }

  bool Truncate(int64_t size) override { return Seek(size) == size && SetEndOfFile(h_); }

  bool Flush() override {
    if (h_ == INVALID_HANDLE_VALUE) return false;
    return !StoreFlushSwitch() || FlushFileBuffers(h_);
  }

  bool Close() override {
    if (h_ == INVALID_HANDLE_VALUE) return false;
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return CloseHandle(h) != 0;
  }

  JournalHost* Journal() override { return journal_.get(); }

 private:
  static OVERLAPPED At(int64_t offset) {
    OVERLAPPED o{};
    o.Offset = static_cast<DWORD>(offset);
    o.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
    return o;
  }

  HANDLE h_;
  std::unique_ptr<JournalHost> journal_;
};

// A write-protected medium says so itself. "Access denied" is what a writer
// gets from a file with the read-only attribute, from a read-only mount
// (Wine reports one so, without the attribute) and from a file this user may
// only read: in every case reading is all there is to be had.
bool RefusedAsReadOnly(DWORD error) {
  return error == ERROR_WRITE_PROTECT || error == ERROR_ACCESS_DENIED;
}

// The system's words for an error code, without the line end it comes with.
Text SystemText(DWORD error) {
  char* text = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  Text out(text ? text : "", text ? n : 0);
  if (text) LocalFree(text);
  while (!out.empty() && (out.back() == '\r' || out.back() == '\n' || out.back() == ' '))
    out.pop_back();
  return out;
}

}  // namespace

bool StoreFileExists(const Text& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return !path.empty() && a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::unique_ptr<ByteStream> OpenStoreFile(const Text& path, StoreOpenMode mode,
                                          StoreFileError& failure) {
  bool existed = StoreFileExists(path);
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                         existed ? OPEN_EXISTING : CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD error = h == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
  if (h == INVALID_HANDLE_VALUE && existed && mode == StoreOpenMode::kReading &&
      RefusedAsReadOnly(error)) {
    h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                    nullptr);
    if (h == INVALID_HANDLE_VALUE) error = GetLastError();
  }
  if (h == INVALID_HANDLE_VALUE) {
    failure = {(existed ? "Cannot open file " : "Cannot create file ") + path,
               error == ERROR_SHARING_VIOLATION ? StoreFileError::kInUse : StoreFileError::kOther,
               SystemText(error)};
    return nullptr;
  }
  return std::make_unique<Win32FileStream>(h, path);
}

// The journal is opened unshared too: while the store's holder has it open,
// nobody else reads a half-written one.
std::unique_ptr<ByteStream> OpenSideFile(const Text& path, bool create) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                         create ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32FileStream>(h);
}

bool DeleteSideFile(const Text& path) {
  if (DeleteFileA(path.c_str())) return true;
  DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool MoveSideFile(const Text& from, const Text& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

}  // namespace pel
