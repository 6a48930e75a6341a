// The uninstaller's temporary copy on Windows: inherited handles, a pipe for the exit code, MoveFileEx.
#include "uninstall/win32/temp_copy_win32.h"

#include <windows.h>

#include <cstdint>
#include <string>

#include "app/constants.h"
#include "sys/action_log.h"
#include "sys/logging_platform.h"
#include "sys/paths.h"
#include "sys/platform.h"
#include "base/win32/wide_path.h"

namespace pel {
namespace {

HANDLE AsHandle(uint64_t v) { return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(v)); }
uint64_t AsNumber(HANDLE h) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(h)); }

// The volume and file number of an existing file or folder; false when it
// cannot be opened. Opening resolves every spelling the system accepts.
bool Identity(std::string_view path, BY_HANDLE_FILE_INFORMATION* info) {
  Text p(path);
  if (p.size() > 3 && p.back() == '\\') p.pop_back();
  HANDLE h = CreateFileA(p.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = GetFileInformationByHandle(h, info) != 0;
  CloseHandle(h);
  return ok;
}

void ReopenLog(const std::optional<Text>& logPath) {
  if (!logPath) return;
  if (std::unique_ptr<LogSink> sink = OpenAppendLog(*logPath))
    ProcessLog() = ActionLog(std::move(sink), LocalTimestamp);
}

}  // namespace

Text Win32CopyHost::TempFolder() {
  wchar_t buf[MAX_PATH + 1] = L"";
  DWORD n = GetTempPathW(MAX_PATH + 1, buf);
  if (n == 0 || n > MAX_PATH) return Text();
  // Outside the code page: its short form, or no temporary copy at all.
  return win32::NarrowSystemPath(std::wstring_view(buf, n)).path;
}

bool Win32CopyHost::SameEntry(std::string_view a, std::string_view b) {
  // The callers read the error of the operation before this one.
  DWORD error = GetLastError();
  BY_HANDLE_FILE_INFORMATION x{}, y{};
  bool same = Identity(a, &x) && Identity(b, &y) &&
              x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
              x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
  SetLastError(error);
  return same;
}

void Win32CopyHost::Sleep(int ms) { ::Sleep(static_cast<DWORD>(ms)); }

void Win32CopyHost::ReportToParent(int code) {
  if (!marker_ || !marker_->report) return;
  int32_t value = code;
  DWORD put = 0;
  WriteFile(AsHandle(marker_->report), &value, sizeof value, &put, nullptr);
  CloseHandle(AsHandle(marker_->report));
}

bool Win32CopyHost::WaitForParent(uint32_t ms) {
  if (!marker_ || !marker_->parent) return true;
  DWORD r = WaitForSingleObject(AsHandle(marker_->parent), ms);
  // A handle that was never the parent's waits for nothing.
  return r == WAIT_OBJECT_0 || r == WAIT_FAILED;
}

bool Win32CopyHost::RemoveAtRestart(std::string_view path) {
  return MoveFileExA(Text(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

std::optional<int> RemoveFromTempCopy(const std::vector<Text>& args,
                                      const std::optional<Text>& logPath, CopyHost& host) {
  Text own = OwnModulePath();
  TempCopy copy;
  {
    LoggingPlatform logged(RealPlatform(), ProcessLog());
    Platform& p = logged.platform();
    CopyDecision d = PrepareTempCopy(p.files, p.registry, host, own);
    if (!d.copy) {
      ProcessLog().Write("Removing in place: " + d.inPlaceReason);
      return std::nullopt;
    }
    copy = *d.copy;
  }
  ProcessLog().Write("Removing from the temporary copy " + copy.exe);

  // The copy inherits two handles: this process, to wait for its end, and
  // the pipe's write end, which takes the exit code.
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr, self = nullptr;
  bool made = CreatePipe(&readEnd, &writeEnd, &inherit, 0) &&
              SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0) &&
              DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                              SYNCHRONIZE, TRUE, 0);
  std::vector<Text> copyArgs = args;
  copyArgs.push_back(CopyMarkerArgument({AsNumber(self), AsNumber(writeEnd), own}));
  Text line = CommandLine(copy.exe, copyArgs);
  STARTUPINFOA mine{};
  GetStartupInfoA(&mine);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (mine.dwFlags & STARTF_USESHOWWINDOW) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = mine.wShowWindow;
  }
  PROCESS_INFORMATION info{};
  // The log is the copy's while it runs: the file is opened without sharing.
  ProcessLog() = ActionLog();
  bool started = made && CreateProcessA(copy.exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &info);
  DWORD error = GetLastError();
  if (writeEnd) CloseHandle(writeEnd);
  if (self) CloseHandle(self);
  if (!started) {
    if (readEnd) CloseHandle(readEnd);
    ReopenLog(logPath);
    ProcessLog().Write("The temporary copy cannot be started (error " + std::to_string(error) +
                       "); removing in place");
    DiscardTempCopy(RealPlatform().files, copy);
    return std::nullopt;
  }
  CloseHandle(info.hThread);
  // Its windows may come to the front, as this program's would have.
  AllowSetForegroundWindow(info.dwProcessId);
  int32_t code = 0;
  DWORD got = 0;
  if (!ReadFile(readEnd, &code, sizeof code, &got, nullptr) || got != sizeof code) {
    // It ended without a word: its own exit code is the answer.
    WaitForSingleObject(info.hProcess, INFINITE);
    DWORD exit = ExitStepFailed;
    GetExitCodeProcess(info.hProcess, &exit);
    code = static_cast<int32_t>(exit);
  }
  CloseHandle(readEnd);
  CloseHandle(info.hProcess);
  return code;
}

}  // namespace pel
