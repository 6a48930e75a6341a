// The conformance tests' environment over the real Win32 platform, in a scratch folder and key of their own.
#include <windows.h>

#include <string>

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
    Scrub(scratch_);
    RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\PelmoraConformance");
  }
  Platform& platform() override { return RealPlatform(); }
  const Text& scratch() const override { return scratch_; }
  const Text& scratch_key() const override { return key_; }
  bool real() const override { return true; }

 private:
  Text scratch_;
  Text key_;
};

}  // namespace

std::unique_ptr<ConformanceEnv> MakeConformanceEnv() { return std::make_unique<Win32Env>(); }

}  // namespace pel
