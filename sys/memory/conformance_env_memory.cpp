// The conformance tests' environment over the in-memory platform.
#include "sys/conformance_env.h"
#include "sys/memory/memory_platform.h"
#include "sys/paths.h"

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
  bool MakeFolderLink(const Text& link, const Text& target) override {
    return memory_.files.MakeLink(WithoutTrailingBackslash(link), target, true);
  }

 private:
  MemoryPlatform memory_;
  Text scratch_ = "C:\\Users\\Tester\\Temp\\Scratch\\";
  Text key_ = "Software\\PelmoraConformance\\Run";
};

}  // namespace

std::unique_ptr<ConformanceEnv> MakeConformanceEnv() { return std::make_unique<MemoryEnv>(); }

}  // namespace pel
