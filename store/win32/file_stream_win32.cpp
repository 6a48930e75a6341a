// Store files on Windows: opened read-write with share mode 0, as the mail client opens them.
#include <windows.h>

#include "store/stream.h"

namespace pel {
namespace {

class Win32FileStream final : public ByteStream {
 public:
  explicit Win32FileStream(HANDLE h) : h_(h) {}
  ~Win32FileStream() override { CloseHandle(h_); }

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

 private:
  HANDLE h_;
};

// A file with the read-only attribute turns a writer away with "access
// denied"; a write-protected medium says so itself.
bool RefusedAsReadOnly(const Text& path, DWORD error) {
  if (error == ERROR_WRITE_PROTECT) return true;
  DWORD a = GetFileAttributesA(path.c_str());
  return error == ERROR_ACCESS_DENIED && a != INVALID_FILE_ATTRIBUTES &&
         (a & FILE_ATTRIBUTE_READONLY);
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

std::unique_ptr<ByteStream> OpenStoreFile(const Text& path, StoreOpenMode mode) {
  bool existed = StoreFileExists(path);
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                         existed ? OPEN_EXISTING : CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD error = h == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
  if (h == INVALID_HANDLE_VALUE && existed && mode == StoreOpenMode::kReading &&
      RefusedAsReadOnly(path, error)) {
    h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                    nullptr);
    if (h == INVALID_HANDLE_VALUE) error = GetLastError();
  }
  if (h == INVALID_HANDLE_VALUE)
    throw StoreFileError((existed ? "Cannot open file " : "Cannot create file ") + path,
                         error == ERROR_SHARING_VIOLATION ? StoreFileError::kInUse
                                                          : StoreFileError::kOther,
                         SystemText(error));
  return std::make_unique<Win32FileStream>(h);
}

}  // namespace pel
