// The installation log on Windows: a file opened for appending only, and the local clock.
#include <windows.h>


#include "base/text.h"
#include "sys/action_log.h"

namespace pel {
namespace {

class Win32LogSink final : public LogSink {
 public:
  explicit Win32LogSink(HANDLE h) : h_(h) {}
  ~Win32LogSink() override { CloseHandle(h_); }
  bool Append(std::string_view bytes) override {
    DWORD put = 0;
    return WriteFile(h_, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
           put == bytes.size();
  }

 private:
  HANDLE h_;
};

// True when a link (a reparse point of any kind) stands at path itself. Wine
// shows a host link so in its folder even where opening it follows it.
bool NamesLink(const Text& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

std::unique_ptr<LogSink> OpenAppendLog(const Text& path) {
  // The elevated removal writes here: a link planted at the path would make
  // it append to a file its user could not write. Refused before the open,
  // and after it, by the handle (the link itself is what opens, never
  // followed) and by the name again.
  if (NamesLink(path)) return nullptr;
  // FILE_APPEND_DATA without FILE_WRITE_DATA: every write lands at the end,
  // so nothing an earlier run wrote can be overwritten.
  HANDLE h = CreateFileA(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                         FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
      NamesLink(path)) {
    CloseHandle(h);
    return nullptr;
  }
  return std::make_unique<Win32LogSink>(h);
}

Text LocalTimestamp() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return ZeroPadded(t.wYear, 4) + "-" + ZeroPadded(t.wMonth, 2) + "-" + ZeroPadded(t.wDay, 2) + " " +
         ZeroPadded(t.wHour, 2) + ":" + ZeroPadded(t.wMinute, 2) + ":" + ZeroPadded(t.wSecond, 2) +
         "." + ZeroPadded(t.wMilliseconds, 3);
}

Text LocalDate() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return ZeroPadded(t.wYear, 4) + ZeroPadded(t.wMonth, 2) + ZeroPadded(t.wDay, 2);
}

}  // namespace pel
