// The process seam in memory: programs started from files of the in-memory file system.
#pragma once

#include <map>

#include "base/text.h"
#include "sys/memory/memory_file_system.h"
#include "sys/processes.h"

namespace pel {

// A started program marks its image as running and a held file as held in
// the file system, which then refuses what Windows refuses.
class MemoryProcesses final : public Processes {
 public:
  explicit MemoryProcesses(MemoryFileSystem& fs) : fs_(fs) {}

  bool RunsFrom(std::string_view image) override;
  bool HeldOpen(std::string_view path) override;

  // Starts a program from image; its id, or 0 when no file is there.
  int Start(std::string_view image);
  // Ends it (an id that runs no more is ignored).
  void End(int id);
  // Opens path without sharing until Release; false when no file is there.
  bool Hold(std::string_view path) { return fs_.SetHeld(path, true); }
  void Release(std::string_view path) { fs_.SetHeld(path, false); }

 private:
  MemoryFileSystem& fs_;
  std::map<int, Text> running_;  // id: the image's stored spelling
  int next_ = 1;
};

}  // namespace pel
