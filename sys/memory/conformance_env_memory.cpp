// The conformance tests' environment over the in-memory platform.
#include "sys/conformance_env.h"
#include "sys/memory/memory_platform.h"
#include "sys/paths.h"

#include <vector>

namespace pel {

namespace {

class MemoryEnv final : public ConformanceEnv {
 public:
  MemoryEnv() {
    memory_.files.MakeDirectories(scratch_);
    // A real system has the folders it names.
    memory_.files.MakeDirectories("C:\\Program Files");
    memory_.files.MakeDirectories("C:\\Users\\user");
  }
  Platform& platform() override { return memory_.platform(); }
  const Text& scratch() const override { return scratch_; }
  const Text& scratch_key() const override { return key_; }
  bool real() const override { return false; }
  bool StartWaitingProgram(const Text& image) override {
    if (!memory_.files.WriteWholeFile(image, "MZ waiter")) return false;
    int id = memory_.processes.Start(image);
    if (id) started_.push_back(id);
    return id != 0;
  }
  void EndStartedPrograms() override {
    for (int id : started_) memory_.processes.End(id);
    started_.clear();
  }
  bool Hold(const Text& path) override {
    if (!memory_.processes.Hold(path)) return false;
    held_.push_back(path);
    return true;
  }
  void ReleaseHeld() override {
    for (const Text& p : held_) memory_.processes.Release(p);
    held_.clear();
  }
  bool MakeUnicodeEntry(const Text& folder, std::string_view utf8_name, bool is_folder) override {
    return memory_.files.MakeUnicodeEntry(folder, utf8_name, is_folder, "made elsewhere");
  }
  bool MakeFolderLink(const Text& link, const Text& target) override {
    return memory_.files.MakeLink(WithoutTrailingBackslash(link), target, true);
  }

 private:
  MemoryPlatform memory_;
  std::vector<int> started_;
  std::vector<Text> held_;
  Text scratch_ = "C:\\Users\\Tester\\Temp\\Scratch\\";
  Text key_ = "Software\\PelmoraConformance\\Run";
};

}  // namespace

std::unique_ptr<ConformanceEnv> MakeConformanceEnv() { return std::make_unique<MemoryEnv>(); }

}  // namespace pel
