// The conformance tests' environment over the real Win32 platform, in a scratch folder and key of their own.
#include <windows.h>

#include <string>
#include <vector>

#include "sys/conformance_env.h"
#include "sys/paths.h"

namespace pel {

namespace {

// Removes a tree whatever its attributes; only for the scratch area.
void Scrub(const Text& folder) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      Text name = data.cFileName;
      if (name == "." || name == "..") continue;
      Text full = folder + name;
      SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        Scrub(full + "\\");
      } else {
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryA(folder.c_str());
}

class Win32Env final : public ConformanceEnv {
 public:
  Win32Env() {
    static int serial = 0;
    Text tag = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    scratch_ = WithTrailingBackslash(temp) + "pel-sys-" + tag + "\\";
    Scrub(scratch_);
    CreateDirectoryA(scratch_.c_str(), nullptr);
    key_ = "Software\\PelmoraConformance\\" + tag;
    RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
  }
  ~Win32Env() override {
    EndStartedPrograms();
    ReleaseHeld();
    Scrub(scratch_);
    RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\PelmoraConformance");
  }
  Platform& platform() override { return RealPlatform(); }
  const Text& scratch() const override { return scratch_; }
  const Text& scratch_key() const override { return key_; }
  bool real() const override { return true; }
  bool StartWaitingProgram(const Text& image) override {
    // The waiting program is built beside this test.
    char own[MAX_PATH + 1] = "";
    GetModuleFileNameA(nullptr, own, MAX_PATH);
    Text waiter = FolderPart(own) + "sys_waiter.exe";
    if (!CopyFileA(waiter.c_str(), image.c_str(), FALSE)) return false;
    Text command = "\"" + image + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(image.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &si, &pi))
      return false;
    CloseHandle(pi.hThread);
    started_.push_back(pi.hProcess);
    // Running once the system can name its image.
    for (int i = 0; i < 250; ++i) {
      char path[MAX_PATH * 4];
      DWORD size = sizeof path;
      if (QueryFullProcessImageNameA(pi.hProcess, 0, path, &size)) return true;
      Sleep(20);
    }
    return false;
  }
  void EndStartedPrograms() override {
    for (HANDLE p : started_) {
      TerminateProcess(p, 0);
      WaitForSingleObject(p, 5000);
      CloseHandle(p);
    }
    started_.clear();
  }
  bool Hold(const Text& path) override {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    held_.push_back(h);
    return true;
  }
  void ReleaseHeld() override {
    for (HANDLE h : held_) CloseHandle(h);
    held_.clear();
  }

 private:
  Text scratch_;
  Text key_;
  std::vector<HANDLE> started_;
  std::vector<HANDLE> held_;
};

}  // namespace

std::unique_ptr<ConformanceEnv> MakeConformanceEnv() { return std::make_unique<Win32Env>(); }

}  // namespace pel
