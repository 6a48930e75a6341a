// The conformance tests' environment over the real Win32 platform, in a scratch folder and key of their own.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "sys/conformance_env.h"
#include "base/win32/wide_path.h"
#include "sys/paths.h"

namespace pel {

namespace {

// Wine's own call for the host's name of a path; absent on Windows.
using UnixName = char*(CDECL*)(LPCWSTR);

Text HostName(const Text& path) {
  auto call = reinterpret_cast<UnixName>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
  if (!call) return Text();
  wchar_t wide[MAX_PATH * 2] = {};
  if (!MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH * 2)) return Text();
  char* name = call(wide);
  if (!name) return Text();
  Text result = name;
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

// Runs a host program under Wine and waits for it; true when it started.
// (Wine does not pass a host program's exit code on: look at what it did.)
bool RunHost(Text command_line) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  WaitForSingleObject(process.hProcess, 10000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

// Removes a tree whatever its attributes; only for the scratch area.
// In Unicode: a name outside the code page is scrubbed too.
void ScrubWide(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring full = folder + name;
      // A link is never entered: what it names is not the scratch area's.
      if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        RemoveDirectoryW(full.c_str()) || DeleteFileW(full.c_str());
        continue;
      }
      SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        ScrubWide(full + L"\\");
      } else {
        DeleteFileW(full.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(folder.c_str());
}

class Win32Env final : public ConformanceEnv {
 public:
  Win32Env() {
    static int serial = 0;
    Text tag = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    scratch_ = WithTrailingBackslash(temp) + "pel-sys-" + tag + "\\";
    ScrubWide(win32::Wide(scratch_));
    CreateDirectoryA(scratch_.c_str(), nullptr);
    key_ = "Software\\PelmoraConformance\\" + tag;
    RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
  }
  ~Win32Env() override {
    EndStartedPrograms();
    ReleaseHeld();
    for (const auto& [host, windows] : links_) RunHost("/bin/rm -f \"" + host + "\"");
    // The removals may still be on their way when their processes are gone.
    for (const auto& [host, windows] : links_) {
      for (int waited = 0; waited < 5000; waited += 50) {
        if (GetFileAttributesA(windows.c_str()) == INVALID_FILE_ATTRIBUTES) break;
        Sleep(50);
      }
    }
    ScrubWide(win32::Wide(scratch_));
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
  bool MakeUnicodeEntry(const Text& folder, std::string_view utf8_name, bool is_folder) override {
    std::wstring path = win32::Wide(WithTrailingBackslash(folder));
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8_name.data(), static_cast<int>(utf8_name.size()), nullptr, 0);
    std::wstring name(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8_name.data(), static_cast<int>(utf8_name.size()), name.data(), n);
    path += name;
    if (is_folder) return CreateDirectoryW(path.c_str(), nullptr) != 0;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    WriteFile(f, "made elsewhere", 14, &put, nullptr);
    CloseHandle(f);
    return true;
  }
  // Wine cannot make a link through the Win32 calls, but shows a host link
  // as one; on Windows the system's own call makes it.
  bool MakeFolderLink(const Text& link, const Text& target) override {
    Text bare = WithoutTrailingBackslash(link);
    Text host_link = HostName(bare), host_target = HostName(WithoutTrailingBackslash(target));
    if (!host_link.empty() && !host_target.empty()) {
      if (!RunHost("/bin/ln -s \"" + host_target + "\" \"" + host_link + "\"")) return false;
      links_.push_back({host_link, bare});
    } else if (!CreateSymbolicLinkA(bare.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY)) {
      return false;
    }
    // The host program may still be on its way when its process is reported gone.
    for (int waited = 0; waited < 5000; waited += 50) {
      DWORD a = GetFileAttributesA(bare.c_str());
      if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
      Sleep(50);
    }
    return false;
  }

 private:
  Text scratch_;
  Text key_;
  std::vector<HANDLE> started_;
  std::vector<HANDLE> held_;
  std::vector<std::pair<Text, Text>> links_;  // each link made: its host and its own name
};

}  // namespace

std::unique_ptr<ConformanceEnv> MakeConformanceEnv() { return std::make_unique<Win32Env>(); }

}  // namespace pel
