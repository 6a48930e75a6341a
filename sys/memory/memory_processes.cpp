// The process seam in memory: programs started from files of the in-memory file system.
#include "sys/memory/memory_processes.h"

namespace pel {

bool MemoryProcesses::RunsFrom(std::string_view image) {
  if (!fs_.FileExists(image)) return false;
  // The stored spelling is the file's identity: every spelling of it resolves to the one.
  Text identity = fs_.StoredSpelling(image);
  for (const auto& [id, started] : running_)
    if (AnsiSameText(started, identity)) return true;
  return false;
}

bool MemoryProcesses::HeldOpen(std::string_view path) { return fs_.IsHeld(path); }

int MemoryProcesses::Start(std::string_view image) {
  if (!fs_.FileExists(image)) return 0;
  fs_.SetRunning(image, true);
  running_[next_] = fs_.StoredSpelling(image);
  return next_++;
}

void MemoryProcesses::End(int id) {
  auto it = running_.find(id);
  if (it == running_.end()) return;
  fs_.SetRunning(it->second, false);
  running_.erase(it);
}

}  // namespace pel
