// An in-memory shell: shortcut files in the memory file system, and a record of started programs and beeps.
#pragma once

#include <vector>

#include "sys/memory/memory_file_system.h"
#include "sys/shell.h"

namespace pel {

class MemoryShell final : public Shell {
 public:
  struct Start {
    Text application;   // as passed; empty when the command line names the program
    Text command_line;  // as passed
    int show = 0;
    Text program;       // the program file that ran, as Windows would have found it
    Text current_directory;
  };
  struct Saved {
    Text link_file;
    ShortcutFields link;
    bool arguments_set = false;  // whether SetArguments would have been called
  };

  explicit MemoryShell(MemoryFileSystem& files) : files_(files) {}

  int32_t SaveShortcut(const ShortcutFields& link, std::string_view link_file) override;
  bool LoadShortcut(std::string_view link_file, ShortcutFields* link) override;
  std::unique_ptr<StartedProcess> StartProcess(std::string_view application,
                                               std::string_view command_line, int show) override;
  void Beep(uint32_t sound_type) override { beeps_.push_back(sound_type); }
  Text ErrorText(uint32_t code) override;

  const std::vector<Saved>& shortcuts() const { return shortcuts_; }
  const std::vector<Start>& starts() const { return starts_; }
  const std::vector<uint32_t>& beeps() const { return beeps_; }

  // The program a command line names, found the way CreateProcess finds it
  // without an application name; empty when none exists.
  Text FindProgram(std::string_view command_line);

 private:
  Text FindFile(std::string_view name);

  MemoryFileSystem& files_;
  std::vector<Saved> shortcuts_;
  std::vector<Start> starts_;
  std::vector<uint32_t> beeps_;
};

}  // namespace pel
